#include "util/pixel_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace veltra::imaging {
namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

}  // namespace

PixelMapping::PixelMapping(std::uint64_t pixelBytes)
{
    if (pixelBytes > SIZE_MAX - kHeaderBytes)
        return;
    const std::size_t length = kHeaderBytes + static_cast<std::size_t>(pixelBytes);
    void* base =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return;
    // Advice only: without huge pages the decode is slower, not wrong.
    if (length >= kHugePageBytes)
        madvise(base, length, MADV_HUGEPAGE);
    std::memcpy(base, &length, sizeof length);
    m_base = base;
}

QImage PixelMapping::TakeAsImage(int width, int height, qsizetype bytesPerLine,
                                 QImage::Format format)
{
    QImage picture(pixels(), width, height, bytesPerLine, format, Unmap, m_base);
    if (!picture.isNull())
        m_base = nullptr;
    return picture;
}

void PixelMapping::Unmap(void* base)
{
    if (!base)
        return;
    std::size_t length = 0;
    std::memcpy(&length, base, sizeof length);
    munmap(base, length);
}

PrefaultAhead::PrefaultAhead(uchar* start, std::uint64_t length)
{
    constexpr std::uint64_t kWorthIt = std::uint64_t{16} << 20;
    if (length < kWorthIt || std::thread::hardware_concurrency() < 2)
        return;
    m_thread = std::thread([this, start, length] {
        constexpr std::uint64_t kStep = std::uint64_t{2} << 20;
        // Whole pages only: the first page holds the mapping's header and is in use.
        const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        auto at = (reinterpret_cast<std::uintptr_t>(start) + pageSize - 1) & ~(pageSize - 1);
        const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(start) + length;
        while (at < end && !m_stop.load(std::memory_order_relaxed)) {
            const std::uintptr_t size =
                std::min<std::uintptr_t>(kStep, end - at) & ~(pageSize - 1);
            if (size == 0 ||
                madvise(reinterpret_cast<void*>(at), size, MADV_POPULATE_WRITE) != 0)
                return;  // an older kernel, or memory refused: the decoder faults its own pages
            at += size;
        }
    });
}

PrefaultAhead::~PrefaultAhead()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

QImage NewLargeImage(QSize size, QImage::Format format)
{
    if (size.isEmpty())
        return QImage();
    // Rows start on four-byte boundaries, as QImage requires of memory it is given.
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(size.width()) * depth + 31) / 32) * 4;
    const std::uint64_t bytes = std::uint64_t(bytesPerLine) * std::uint64_t(size.height());
    if (bytes < kHugePageBytes) {
        QImage small(size, format);
        if (!small.isNull())
            small.fill(0);
        return small;
    }
    PixelMapping memory(bytes);
    if (!memory.isValid())
        return QImage();
    return memory.TakeAsImage(size.width(), size.height(), bytesPerLine, format);
}

}  // namespace veltra::imaging
