#!/usr/bin/env python3
"""Runs veltra-info on every hostile file (as it is, with --decode, and with everything:
--decode --analyze --json) and checks the promise: each file ends in its report (exit 0) or
its failure line (exit 1), with nothing else on standard error, within the memory its budget
allows, and within the work its budgets allow.

Work is counted, never timed: the program's own counters (QT_LOGGING_RULES="veltra.work=true"
prints them at exit) must stay within the budgets, and the child's processor time (user and
system, from wait4) within a bound made of references measured here, in the same run, on
honest files: the program's start on a small picture, and the decode of pictures that fill
the pixel budget any file has (a PNG, and an animated WebP, whose decoder paints its frame on
a canvas and so costs several times more a pixel). Seconds on the clock vary with the machine and what else runs
on it; processor time and counts vary far less. The target of 2 s a file is measured by
scripts/bench_hostile.sh.

The files are those scripts/make_hostile_files.py writes, the regression files kept in
tests/hostile/regressions (inputs the fuzzers or users found), and special files made here: a
named pipe, a link to /dev/zero and a directory, all with picture names.

    check_hostile_files.py VELTRA_INFO GENERATOR REGRESSIONS WORK_FOLDER
"""

import concurrent.futures
import functools
import importlib.util
import os
import re
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import zlib

# The service's budgets, as the README states them: pixel memory of 64 MiB for any file and
# 16 KiB for each byte it holds, at most 2 GiB; item values of 16 MiB per file; 32 MiB
# inflated from one file's compressed metadata at each reading of it.
PIXELS_ANY_FILE = 64 << 20
PIXELS_PER_BYTE = 16 << 10
PIXELS_MOST = 2 << 30
ITEM_BUDGET = 16 << 20
INFLATION_BUDGET = 32 << 20

# A picture may be decoded at up to eight bytes a pixel where the budget counts four, and the
# items appear several times over on their way to the terminal (the values, the report's
# UTF-16 text, the UTF-8 written out).
PIXEL_COPIES = 2
ITEM_COPIES = 8

# AddressSanitizer keeps a byte of shadow for every eight bytes of memory the program touches,
# so a sanitizer build (which sets HOSTILE_SANITIZED=1) is allowed an eighth more than the copies.
SANITIZED = os.environ.get("HOSTILE_SANITIZED") == "1"
SHADOW = 9 / 8 if SANITIZED else 1

# The analysis reads the file's structure a second time, with a budget of its own.
READINGS_WITH_ANALYSIS = 2

# Processor time a run may take: this many times what its counted work takes at the rates of
# the references. The program's start, once; its reading of the file, at the PNG reference's
# rate for each reference picture's worth of bytes inflated and item value bytes (each of which
# is formatted several times over, as text and as hex), at least one; and its decoding, at the
# rate of the costlier reference for the pixel bytes decoded. Wide, so that a busy machine,
# which slows the references as much as the files, never fails it; work the program does
# without counting it (a walk that turns quadratic, a decoder that loops) does. A sanitizer
# build slows the program's own code several times more than the libraries the references
# spend their time in; HOSTILE_CPU_MARGIN sets another margin.
MARGIN = float(os.environ.get("HOSTILE_CPU_MARGIN", "10"))
ITEM_BYTE_WEIGHT = 32

# A run that loops takes processor time without end; it is stopped at this much and reported.
CPU_SECONDS_STOP = 600

WORK_LINE = re.compile(r"\bwork:((?: \w+=\d+)+)\s*$")
MODES = ([], ["--decode"], ["--decode", "--analyze", "--json"])
# Under the sanitizers the checks are of memory and behaviour, and every run costs several
# times more: the report alone and the whole path (which decodes as --decode does) reach all
# the code the three modes reach.
SANITIZED_MODES = ([], ["--decode", "--analyze", "--json"])


def pixel_budget(file_bytes):
    return min(PIXELS_MOST, max(PIXELS_ANY_FILE, file_bytes * PIXELS_PER_BYTE))


def stop_runaways():
    resource.setrlimit(resource.RLIMIT_CPU, (CPU_SECONDS_STOP, CPU_SECONDS_STOP))


class Run:
    """One run of the program: exit status (negative for a signal), processor seconds, peak
    resident bytes, the lines of standard error apart from the work line, and the counters."""

    def __init__(self, command):
        with tempfile.TemporaryFile() as stderr:
            env = dict(os.environ, LC_ALL="C.UTF-8", QT_LOGGING_RULES="veltra.work=true")
            process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=stderr,
                                       env=env, preexec_fn=stop_runaways)
            _, status, usage = os.wait4(process.pid, 0)
            self.status = os.waitstatus_to_exitcode(status)
            self.cpu = usage.ru_utime + usage.ru_stime
            self.peak = usage.ru_maxrss * 1024
            stderr.seek(0)
            lines = [line for line in stderr.read().decode("utf-8", "replace").splitlines()
                     if line]
        self.work = {}
        self.lines = []
        for line in lines:
            found = WORK_LINE.search(line)
            if found:
                self.work = {key: int(value) for key, value in
                             (pair.split("=") for pair in found.group(1).split())}
            else:
                self.lines.append(line)


def reference_webp(generator, path, side):
    """An animation of one frame of side x side pixels in one colour, made with the hostile
    files' own WebP writer."""
    found = importlib.util.spec_from_file_location("make_hostile_files", generator)
    writer = importlib.util.module_from_spec(found)
    found.loader.exec_module(writer)
    frame = writer.riff_chunk(b"VP8L", writer.vp8l_one_colour(side, side))
    with open(path, "wb") as f:
        f.write(writer.webp_file([writer.vp8x(writer.VP8X_ANIMATION, side, side), writer.anim(),
                                  writer.anmf(0, 0, side, side, frame)]))


def reference_png(path, side):
    """An honest RGBA picture of side x side pixels whose rows all differ."""
    pattern = bytes(range(256)) * (4 * side // 256 + 1)
    compressor = zlib.compressobj(1)
    data = []
    for y in range(side):
        shift = (y * 7) % 256
        data.append(compressor.compress(b"\x00" + pattern[shift:shift + 4 * side]))
    data.append(compressor.flush())

    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload
                + struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", b"".join(data)) + chunk(b"IEND", b""))


def make_special_files(folder):
    made = []
    pipe = os.path.join(folder, "special__named_pipe.jpg")
    os.mkfifo(pipe)
    made.append(pipe)
    link = os.path.join(folder, "special__link_to_dev_zero.jpg")
    os.symlink("/dev/zero", link)
    made.append(link)
    directory = os.path.join(folder, "special__directory.png")
    os.mkdir(directory)
    made.append(directory)
    return made


def cost_ratio(run, references):
    """The run's processor time over what its counted work is expected to take."""
    reading = run.work.get("inflated_bytes", 0) \
        + ITEM_BYTE_WEIGHT * run.work.get("item_value_bytes", 0)
    decoding = run.work.get("decoded_pixel_bytes", 0)
    expected = references["start"] \
        + references["png"] * max(1.0, reading / PIXELS_ANY_FILE) \
        + references["decode"] * decoding / PIXELS_ANY_FILE
    return run.cpu / expected


def check(run, mode, size, references):
    """What is wrong with one run, as a list of complaints."""
    complaints = []
    if run.status not in (0, 1):
        return [f"exit status {run.status}"]
    if len(run.lines) > (1 if run.status == 1 else 0):
        complaints.append(f"standard error has {len(run.lines)} lines, the first: "
                          f"{run.lines[0][:120]}")
    allowed = references["memory"] + int(SHADOW * (PIXEL_COPIES * pixel_budget(size)
                                                     + ITEM_COPIES * ITEM_BUDGET))
    if run.peak > allowed:
        complaints.append(f"peak memory {run.peak >> 20} MiB, the budget allows "
                          f"{allowed >> 20} MiB")
    if not run.work:
        return complaints + ["no work line on standard error"]
    decode = "--decode" in mode
    readings = READINGS_WITH_ANALYSIS if "--analyze" in mode else 1
    if run.work["inflated_bytes"] > readings * INFLATION_BUDGET:
        complaints.append(f"{run.work['inflated_bytes']} bytes inflated, the budget is "
                          f"{readings * INFLATION_BUDGET}")
    if not decode and run.work["frames_decoded"]:
        complaints.append(f"{run.work['frames_decoded']} frames decoded without --decode")
    if not decode and run.work["frames_decoded_to_recognise"] > 1:
        complaints.append(f"{run.work['frames_decoded_to_recognise']} frames decoded to "
                          "recognise one file")
    if run.work["largest_frame_pixel_bytes"] > pixel_budget(size):
        complaints.append(f"a frame of {run.work['largest_frame_pixel_bytes']} pixel bytes, "
                          f"the budget is {pixel_budget(size)}")
    if cost_ratio(run, references) > MARGIN:
        complaints.append(f"{run.cpu:.2f} s of processor time, {cost_ratio(run, references):.1f}"
                          f" times what its counted work takes (at most {MARGIN:g})")
    return complaints


def run_job(veltra_info, job):
    path, mode = job
    return Run([veltra_info, *mode, path])


def measure_references(veltra_info, generator, work):
    """What the program takes on honest pictures: memory and processor time on a small one for
    itself, and processor time on pictures that fill the pixel budget any file has."""
    honest = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures",
                          "png_no_phys.png")
    png = os.path.join(work, "reference_4096x4096.png")
    reference_png(png, 4096)
    webp = os.path.join(work, "reference_4096x4096.webp")
    reference_webp(generator, webp, 4096)
    small = [Run([veltra_info, "--decode", honest]) for _ in range(3)]
    large = [[Run([veltra_info, "--decode", path]) for _ in range(3)] for path in (png, webp)]
    if any(run.status != 0 for run in small + large[0] + large[1]):
        return None
    return {"memory": max(run.peak for run in small),
            "start": statistics.median(run.cpu for run in small),
            "png": statistics.median(run.cpu for run in large[0]),
            "decode": max(statistics.median(run.cpu for run in runs) for runs in large)}


def main():
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    veltra_info, generator, regressions, work = sys.argv[1:]

    shutil.rmtree(work, ignore_errors=True)
    generated = os.path.join(work, "generated")
    subprocess.run([sys.executable, generator, generated], check=True, stdout=subprocess.DEVNULL)
    files = [os.path.join(generated, name) for name in sorted(os.listdir(generated))]
    files += [os.path.join(regressions, name) for name in sorted(os.listdir(regressions))
              if not name.endswith(".md")]
    special = os.path.join(work, "special")
    os.mkdir(special)
    files += make_special_files(special)

    references = measure_references(veltra_info, generator, work)
    if not references:
        print("check_hostile_files: the reference pictures do not decode", file=sys.stderr)
        return 1

    failures = []
    costliest = (0.0, "")
    largest = (0, "")
    dearest = (0.0, "")
    # Runs are independent and each is measured by its own processor time and peak, so they
    # share the machine's cores: the run takes minutes, not a quarter of an hour.
    modes = SANITIZED_MODES if SANITIZED else MODES
    jobs = [(path, mode) for path in files for mode in modes]
    with concurrent.futures.ProcessPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        runs = pool.map(functools.partial(run_job, veltra_info), jobs, chunksize=4)
        for (path, mode), run in zip(jobs, runs):
            size = os.path.getsize(path) if os.path.isfile(path) and not os.path.islink(path) \
                else 0
            label = " ".join(mode + [os.path.basename(path)])
            failures += [f"{label}: {complaint}" for complaint in check(run, mode, size,
                                                                         references)]
            costliest = max(costliest, (run.cpu, label))
            if run.work:
                dearest = max(dearest, (cost_ratio(run, references), label))
            largest = max(largest, (run.peak, label))

    print(f"check_hostile_files: {len(files)} files, each in {len(modes)} modes; references: start "
          f"{references['start']:.3f} s, decode of 4096 x 4096 PNG {references['png']:.3f} s, "
          f"costliest decode {references['decode']:.3f} s of processor time; costliest {costliest[0]:.2f} s ({costliest[1]}), highest ratio to "
          f"its counted work {dearest[0]:.2f} ({dearest[1]}), largest peak "
          f"{largest[0] >> 20} MiB ({largest[1]}), program alone {references['memory'] >> 20} MiB")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
