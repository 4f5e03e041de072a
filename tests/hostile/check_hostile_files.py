#!/usr/bin/env python3
"""Runs veltra-info on every hostile file (as it is, with --decode, and with everything:
--decode --analyze --json) and checks the promise:
each file ends in its report (exit 0) or its failure line (exit 1), within 2 s, within the
memory its budget allows, with nothing on standard error but the failure line.

The files are those scripts/make_hostile_files.py writes, the regression files kept in
tests/hostile/regressions (inputs the fuzzers or users found), and special files made here: a
named pipe, a link to /dev/zero and a directory, all with picture names.

    check_hostile_files.py VELTRA_INFO GENERATOR REGRESSIONS WORK_FOLDER

HOSTILE_SLOWDOWN multiplies the time bound (a sanitizer build runs several times slower).
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

# The service's budgets, as the README states them: pixel memory of 64 MiB for any file and
# 16 KiB for each byte it holds, at most 2 GiB; item values of 16 MiB per file.
PIXELS_ANY_FILE = 64 << 20
PIXELS_PER_BYTE = 16 << 10
PIXELS_MOST = 2 << 30
ITEM_BUDGET = 16 << 20

# A picture may be decoded at up to eight bytes a pixel where the budget counts four, and the
# items appear several times over on their way to the terminal (the values, the report's
# UTF-16 text, the UTF-8 written out).
PIXEL_COPIES = 2
ITEM_COPIES = 8

SECONDS_EACH = 2.0
HANG = 60.0  # a run still going after this is stopped and counted a hang


def pixel_budget(file_bytes):
    return min(PIXELS_MOST, max(PIXELS_ANY_FILE, file_bytes * PIXELS_PER_BYTE))


def run(command):
    """Exit status (negative for a signal, None for a hang), seconds, peak resident bytes and
    standard error of one run."""
    with tempfile.TemporaryFile() as stderr:
        started = time.monotonic()
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=stderr,
                                   env=dict(os.environ, LC_ALL="C.UTF-8"))
        while True:
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() - started > HANG:
                process.kill()
                os.wait4(process.pid, 0)
                return None, HANG, 0, ""
            time.sleep(0.005)
        seconds = time.monotonic() - started
        process.returncode = os.waitstatus_to_exitcode(status)
        stderr.seek(0)
        return (process.returncode, seconds, usage.ru_maxrss * 1024,
                stderr.read().decode("utf-8", "replace"))


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


def main():
    if len(sys.argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    veltra_info, generator, regressions, work = sys.argv[1:]
    slowdown = float(os.environ.get("HOSTILE_SLOWDOWN", "1"))

    shutil.rmtree(work, ignore_errors=True)
    generated = os.path.join(work, "generated")
    subprocess.run([sys.executable, generator, generated], check=True, stdout=subprocess.DEVNULL)
    files = [os.path.join(generated, name) for name in sorted(os.listdir(generated))]
    files += [os.path.join(regressions, name) for name in sorted(os.listdir(regressions))
              if not name.endswith(".md")]
    special = os.path.join(work, "special")
    os.mkdir(special)
    files += make_special_files(special)

    # What the program itself takes, on a small honest picture.
    honest = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures",
                          "png_no_phys.png")
    baseline = max(run([veltra_info, "--decode", honest])[2] for _ in range(3))

    failures = []
    slowest = (0.0, "")
    largest = (0, "")
    for path in files:
        size = os.path.getsize(path) if os.path.isfile(path) and not os.path.islink(path) else 0
        allowed = baseline + PIXEL_COPIES * pixel_budget(size) + ITEM_COPIES * ITEM_BUDGET
        for mode in ([], ["--decode"], ["--decode", "--analyze", "--json"]):
            label = " ".join(mode + [os.path.basename(path)])
            status, seconds, peak, stderr = run([veltra_info, *mode, path])
            if status is None:
                failures.append(f"{label}: still running after {HANG:.0f} s")
                continue
            if status not in (0, 1):
                failures.append(f"{label}: exit status {status}")
            if seconds > SECONDS_EACH * slowdown:
                failures.append(f"{label}: {seconds:.2f} s")
            if peak > allowed:
                failures.append(f"{label}: peak memory {peak >> 20} MiB, "
                                f"the budget allows {allowed >> 20} MiB")
            lines = [line for line in stderr.splitlines() if line]
            if len(lines) > (1 if status == 1 else 0):
                failures.append(f"{label}: standard error has {len(lines)} lines, "
                                f"the first: {lines[0][:120]}")
            slowest = max(slowest, (seconds, label))
            largest = max(largest, (peak, label))

    print(f"check_hostile_files: {len(files)} files, each in three modes; "
          f"slowest {slowest[0]:.2f} s ({slowest[1]}), largest peak {largest[0] >> 20} MiB "
          f"({largest[1]}), program alone {baseline >> 20} MiB")
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
