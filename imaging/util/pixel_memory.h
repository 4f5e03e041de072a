#pragma once

// Memory for the pixels of a large picture: one anonymous mapping in huge pages, and a thread
// that has the kernel clear its pages ahead of the decoder that writes them. Decoded photos,
// their turned and shrunk copies and the canvas an export is drawn on all live in such memory.

#include <QImage>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace veltra::imaging {

// The pixels of a decoded picture in one anonymous mapping. Mappings of a huge page or more
// are advised to use huge pages, so that writing 100 MB of fresh memory takes a few dozen
// page faults instead of tens of thousands. The mapping begins with its own length, so that
// the picture's cleanup function can unmap it from its address alone.
class PixelMapping {
public:
    explicit PixelMapping(std::uint64_t pixelBytes);
    ~PixelMapping() { Unmap(m_base); }
    PixelMapping(const PixelMapping&) = delete;
    PixelMapping& operator=(const PixelMapping&) = delete;

    bool isValid() const { return m_base != nullptr; }
    uchar* pixels() const { return static_cast<uchar*>(m_base) + kHeaderBytes; }

    // A picture over the mapping, which from then on unmaps it when its last copy goes. Null,
    // with the mapping still owned here, when QImage refuses the geometry.
    QImage TakeAsImage(int width, int height, qsizetype bytesPerLine, QImage::Format format);

private:
    // Keeps the pixels aligned to a cache line.
    static constexpr std::size_t kHeaderBytes = 64;

    static void Unmap(void* base);

    void* m_base = nullptr;
};

// Asks the kernel, on a thread of its own, to back a large mapping with cleared pages before
// they are written. Populating never changes a byte that is there already, so the decoder may
// write beside it at any time. Stops and joins when it goes out of scope.
class PrefaultAhead {
public:
    PrefaultAhead(uchar* start, std::uint64_t length);
    ~PrefaultAhead();
    PrefaultAhead(const PrefaultAhead&) = delete;
    PrefaultAhead& operator=(const PrefaultAhead&) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A picture of that size and format with every byte zero, in such memory when it is large
// (a small one takes ordinary memory); null when the memory is refused.
QImage NewLargeImage(QSize size, QImage::Format format);

}  // namespace veltra::imaging
