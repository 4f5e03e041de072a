#include "imaging/work_counters.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace veltra::imaging {

Q_LOGGING_CATEGORY(lcWork, "veltra.work", QtFatalMsg)

namespace {

struct CounterRow {
    Work counter;
    const char* name;
};

constexpr std::array kCounters{
    CounterRow{Work::InflatedBytes, "inflated_bytes"},
    CounterRow{Work::ItemValueBytes, "item_value_bytes"},
    CounterRow{Work::FramesDecoded, "frames_decoded"},
    CounterRow{Work::FramesDecodedToRecognise, "frames_decoded_to_recognise"},
    CounterRow{Work::DecodedPixelBytes, "decoded_pixel_bytes"},
    CounterRow{Work::LargestFramePixelBytes, "largest_frame_pixel_bytes"},
    CounterRow{Work::RawsDeveloped, "raws_developed"},
};

constexpr bool RowsInCounterOrder()
{
    for (std::size_t index = 0; index < kCounters.size(); ++index) {
        if (static_cast<std::size_t>(kCounters[index].counter) != index)
            return false;
    }
    return true;
}
static_assert(RowsInCounterOrder(), "the rows are indexed by counter");

std::array<std::atomic<std::uint64_t>, kCounters.size()> g_counts{};

std::atomic<std::uint64_t>& CountOf(Work counter)
{
    return g_counts[static_cast<std::size_t>(counter)];
}

}  // namespace

void CountWork(Work counter, std::uint64_t amount)
{
    std::atomic<std::uint64_t>& count = CountOf(counter);
    if (counter != Work::LargestFramePixelBytes) {
        count.fetch_add(amount, std::memory_order_relaxed);
        return;
    }
    std::uint64_t largest = count.load(std::memory_order_relaxed);
    while (amount > largest &&
           !count.compare_exchange_weak(largest, amount, std::memory_order_relaxed)) {
    }
}

void CountFrame(Work frames, QSize size)
{
    const std::uint64_t pixelBytes = std::uint64_t(std::max(size.width(), 0)) *
                                     std::uint64_t(std::max(size.height(), 0)) * 4;
    CountWork(frames, 1);
    CountWork(Work::DecodedPixelBytes, pixelBytes);
    CountWork(Work::LargestFramePixelBytes, pixelBytes);
}

std::uint64_t WorkDone(Work counter)
{
    return CountOf(counter).load(std::memory_order_relaxed);
}

void LogWorkDone()
{
    // The line is asked for by rules in the environment. Without them the category is not
    // consulted at all: its first use reads Qt's logging configuration files, which would be
    // a quarter of a millisecond at the end of every short run.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES") &&
        !qEnvironmentVariableIsSet("QT_LOGGING_CONF"))
        return;
    if (!lcWork().isInfoEnabled())
        return;
    QString line = QStringLiteral("work:");
    for (const CounterRow& row : kCounters)
        line += QStringLiteral(" %1=%2").arg(QLatin1String(row.name)).arg(WorkDone(row.counter));
    qCInfo(lcWork).noquote() << line;
}

}  // namespace veltra::imaging
