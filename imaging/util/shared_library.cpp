#include "util/shared_library.h"

#include "imaging/logging.h"

#include <dlfcn.h>

namespace veltra::imaging {

bool SharedLibrary::open()
{
    std::call_once(m_once, [this] {
        // RTLD_LOCAL keeps the library's symbols from answering for anyone else's.
        m_handle = dlopen(m_soname, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            qCWarning(lcImaging) << "cannot open" << m_soname << ":" << dlerror();
    });
    return m_handle != nullptr;
}

void* SharedLibrary::symbol(const char* name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

void LogMissingSymbol(const SharedLibrary& library, const char* name)
{
    qCWarning(lcImaging) << library.soname() << "has no function" << name;
}

}  // namespace veltra::imaging
