#pragma once

#include <dlfcn.h>

namespace vesk {

// A shared library opened when a rarely used facility is first needed rather than linked at start,
// so that it costs the running process no resident memory until then. It stays loaded for the life
// of the process (libraries may have registered exit handlers). Missing, every lookup fails and
// the facility that needs it is simply off.
class SharedLibrary {
public:
    explicit SharedLibrary(const char *soname) : handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    explicit operator bool() const { return handle_ != nullptr; }

    // Sets fn to the library's function of that name (declared by the library's own header, so
    // the type is checked); false when the library or the function is missing.
    template <typename F>
    bool resolve(F *&fn, const char *name) const
    {
        fn = handle_ ? reinterpret_cast<F *>(::dlsym(handle_, name)) : nullptr;
        return fn != nullptr;
    }

private:
    void *handle_;
};

}  // namespace vesk
