#include "formats/raw/libraw_library.h"

#include "imaging/logging.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

bool ResolveAll(const SharedLibrary& library, LibRawApi& api)
{
    return VELTRA_RESOLVE(library, api, libraw_init) &&
           VELTRA_RESOLVE(library, api, libraw_open_buffer) &&
           VELTRA_RESOLVE(library, api, libraw_adjust_sizes_info_only) &&
           VELTRA_RESOLVE(library, api, libraw_unpack) &&
           VELTRA_RESOLVE(library, api, libraw_unpack_thumb) &&
           VELTRA_RESOLVE(library, api, libraw_dcraw_process) &&
           VELTRA_RESOLVE(library, api, libraw_dcraw_make_mem_thumb) &&
           VELTRA_RESOLVE(library, api, libraw_dcraw_clear_mem) &&
           VELTRA_RESOLVE(library, api, libraw_close) &&
           VELTRA_RESOLVE(library, api, libraw_strerror) &&
           VELTRA_RESOLVE(library, api, libraw_COLOR) &&
           VELTRA_RESOLVE(library, api, libraw_set_dataerror_handler) &&
           VELTRA_RESOLVE(library, api, libraw_set_memerror_handler);
}

}  // namespace

const LibRawApi* OpenLibRaw()
{
    static SharedLibrary library(VELTRA_LIBRAW_SONAME);
    static LibRawApi api;
    static const bool usable = library.open() && ResolveAll(library, api);
    return usable ? &api : nullptr;
}

LibRawSession::LibRawSession(const LibRawApi& api) : m_api(api)
{
    m_data = m_api.libraw_init(0);
    if (!m_data)
        return;
    // LibRaw's own handlers print to standard error.
    m_api.libraw_set_dataerror_handler(m_data, onDataError, this);
    m_api.libraw_set_memerror_handler(m_data, onMemoryError, this);
}

LibRawSession::~LibRawSession()
{
    if (m_data)
        m_api.libraw_close(m_data);
}

int LibRawSession::open(QByteArrayView file, std::uint64_t maxBytes)
{
    // LibRaw refuses, before allocating, sensor data that needs more than this.
    m_data->params.max_raw_memory_mb =
        static_cast<unsigned>(std::max<std::uint64_t>(1, maxBytes >> 20));
    // LibRaw only reads the buffer; its interface is not const.
    return m_api.libraw_open_buffer(m_data, const_cast<char*>(file.data()),
                                    static_cast<size_t>(file.size()));
}

LibRawSession::ProcessedImage LibRawSession::makeThumbnail(int* error)
{
    return ProcessedImage(m_api.libraw_dcraw_make_mem_thumb(m_data, error),
                          ProcessedImageDeleter{&m_api});
}

void LibRawSession::onDataError(void* session, const char* /*file*/, int offset)
{
    static_cast<LibRawSession*>(session)->m_dataDamaged = true;
    if (offset < 0)
        qCInfo(lcLibraries, "LibRaw: the file ends inside the sensor data");
    else
        qCInfo(lcLibraries, "LibRaw: damaged sensor data near offset %d", offset);
}

void LibRawSession::onMemoryError(void* /*session*/, const char* /*file*/, const char* where)
{
    qCInfo(lcLibraries, "LibRaw: memory refused in %s", where ? where : "?");
}

}  // namespace veltra::imaging
