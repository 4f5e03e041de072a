#pragma once

// A codec library opened when a file first needs it, not when the program starts: HEIF's
// library alone brings in three video decoders, a cost that every run would pay for files that
// are mostly JPEGs. The build names each library by the soname it found, so the program opens
// exactly the library it was compiled against.

#include <QByteArray>

#include <mutex>

namespace veltra::imaging {

class SharedLibrary {
public:
    explicit SharedLibrary(const char* soname) : m_soname(soname) {}
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Opens the library once, on the first call from any thread; false, with the reason in the
    // log, when it cannot be opened.
    bool open();
    // The address of a function of the opened library; null when it has none of that name.
    void* symbol(const char* name) const;
    const char* soname() const { return m_soname; }

private:
    const char* m_soname;
    std::once_flag m_once;
    void* m_handle = nullptr;
};

void LogMissingSymbol(const SharedLibrary& library, const char* name);

// A library's API is a struct of function pointers named as the library names its functions,
// typed as its header declares them:
//
//     struct HeifLibrary {
//         VELTRA_LIBRARY_FUNCTION(heif_context_alloc) heif_context_alloc;
//     };
//
// and filled with VELTRA_RESOLVE(library, api, heif_context_alloc) for each, all or nothing.
#define VELTRA_LIBRARY_FUNCTION(name) decltype(&::name)
#define VELTRA_RESOLVE(library, api, name) ::veltra::imaging::Resolve(library, (api).name, #name)

// Points `function` at the library's function of that name; false, logged, when it has none.
template <typename Function>
bool Resolve(const SharedLibrary& library, Function*& function, const char* name)
{
    function = reinterpret_cast<Function*>(library.symbol(name));
    if (!function)
        LogMissingSymbol(library, name);
    return function != nullptr;
}

}  // namespace veltra::imaging
