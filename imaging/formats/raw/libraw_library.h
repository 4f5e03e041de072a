#pragma once

// LibRaw, opened when the first raw needs it, through its C interface. The soname the build
// found pins the library's ABI, so the structure it fills (libraw_data_t) is read through its
// header; no code of the library is linked.

#include "util/shared_library.h"

#include <libraw.h>

#include <QByteArrayView>

#include <memory>

namespace veltra::imaging {

struct LibRawApi {
    VELTRA_LIBRARY_FUNCTION(libraw_init) libraw_init;
    VELTRA_LIBRARY_FUNCTION(libraw_open_buffer) libraw_open_buffer;
    VELTRA_LIBRARY_FUNCTION(libraw_adjust_sizes_info_only) libraw_adjust_sizes_info_only;
    VELTRA_LIBRARY_FUNCTION(libraw_unpack) libraw_unpack;
    VELTRA_LIBRARY_FUNCTION(libraw_unpack_thumb) libraw_unpack_thumb;
    VELTRA_LIBRARY_FUNCTION(libraw_dcraw_process) libraw_dcraw_process;
    VELTRA_LIBRARY_FUNCTION(libraw_dcraw_make_mem_thumb) libraw_dcraw_make_mem_thumb;
    VELTRA_LIBRARY_FUNCTION(libraw_dcraw_clear_mem) libraw_dcraw_clear_mem;
    VELTRA_LIBRARY_FUNCTION(libraw_close) libraw_close;
    VELTRA_LIBRARY_FUNCTION(libraw_strerror) libraw_strerror;
    VELTRA_LIBRARY_FUNCTION(libraw_COLOR) libraw_COLOR;
    VELTRA_LIBRARY_FUNCTION(libraw_set_dataerror_handler) libraw_set_dataerror_handler;
    VELTRA_LIBRARY_FUNCTION(libraw_set_memerror_handler) libraw_set_memerror_handler;
};

// LibRaw's functions, the library opened on the first call; null when it cannot be opened.
const LibRawApi* OpenLibRaw();

// One LibRaw instance reading one file held in memory; closed with the session. Its messages
// (damaged data, memory refused) go to the libraries logging category.
class LibRawSession {
public:
    explicit LibRawSession(const LibRawApi& api);
    ~LibRawSession();
    LibRawSession(const LibRawSession&) = delete;
    LibRawSession& operator=(const LibRawSession&) = delete;

    bool valid() const { return m_data != nullptr; }
    libraw_data_t& data() { return *m_data; }
    const LibRawApi& api() const { return m_api; }

    // Opens the file (its headers only) with LibRaw's working memory bounded by `maxBytes`.
    // LIBRAW_SUCCESS or LibRaw's error code.
    int open(QByteArrayView file, std::uint64_t maxBytes);
    // True once LibRaw met data it could not read: the file ends inside the sensor data, or
    // the data is damaged. LibRaw fills what it could not read and goes on.
    bool dataDamaged() const { return m_dataDamaged; }
    // LibRaw's words for an error code.
    const char* errorText(int code) const { return m_api.libraw_strerror(code); }

    struct ProcessedImageDeleter {
        const LibRawApi* api;
        void operator()(libraw_processed_image_t* image) const
        {
            api->libraw_dcraw_clear_mem(image);
        }
    };
    using ProcessedImage = std::unique_ptr<libraw_processed_image_t, ProcessedImageDeleter>;
    ProcessedImage makeThumbnail(int* error);

private:
    static void onDataError(void* session, const char* file, int offset);
    static void onMemoryError(void* session, const char* file, const char* where);

    const LibRawApi& m_api;
    libraw_data_t* m_data = nullptr;
    bool m_dataDamaged = false;
};

}  // namespace veltra::imaging
