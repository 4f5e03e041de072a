#pragma once

// A regular file mapped into memory instead of read: a report touches only the pages of its
// headers and metadata, not the compressed picture data, and nothing is copied. A small file
// is read instead: mapping it and letting it go costs the system more than copying it.

#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <memory>

namespace veltra::imaging {

class MappedFile {
public:
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The file's bytes, not copied when mapped: valid while this object lives, and followed by
    // a zero byte, as a QByteArray's own data is.
    QByteArray bytes() const;
    // Whether the file was cut short while it was mapped: the pages past its new end read as
    // zeros instead of stopping the program, and what was read of them is not to be trusted.
    bool cutShort() const { return m_cutShort.load(std::memory_order_relaxed); }
    // Called by the handler of the fault that a page past the file's end raises.
    void noteCutShort() const { m_cutShort.store(true, std::memory_order_relaxed); }

    // Maps the file under the rules of ReadRegularFile: regular files only, opened without
    // waiting, no larger than the service's limit. An empty file maps to no bytes.
    static GpStatus Map(const QString& filename, std::shared_ptr<const MappedFile>* mapping,
                        LoadFailureReason* reason);

private:
    MappedFile(char* address, std::size_t length, qsizetype size);
    explicit MappedFile(QByteArray bytes)
        : m_address(nullptr),
          m_length(0),
          m_size(0),
          m_read(std::move(bytes))
    {
    }

    char* m_address;
    std::size_t m_length;  // of the whole reservation, a zero page past the file included
    qsizetype m_size;
    QByteArray m_read;  // a small file's bytes, read
    mutable std::atomic<bool> m_cutShort{false};
};

}  // namespace veltra::imaging
