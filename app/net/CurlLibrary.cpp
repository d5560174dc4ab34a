#include "CurlLibrary.h"

#include <dlfcn.h>
#include <mutex>

namespace net
{

namespace
{

struct Loaded {
    CurlLibrary library;
    bool ok = false;
    std::string error;
};

template <typename F> bool Find(void* handle, const char* name, F& function)
{
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
}

Loaded Load()
{
    Loaded l;
    // Never unloaded: curl_global_cleanup is not safe while other libraries may use its TLS.
    void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        l.error = std::string("cannot load libcurl: ") + (why ? why : "not found");
        return l;
    }
    CurlLibrary& c = l.library;
    if (!Find(handle, "curl_global_init", c.globalInit) ||
        !Find(handle, "curl_easy_init", c.easyInit) ||
        !Find(handle, "curl_easy_setopt", c.easySetopt) ||
        !Find(handle, "curl_easy_perform", c.easyPerform) ||
        !Find(handle, "curl_easy_getinfo", c.easyGetinfo) ||
        !Find(handle, "curl_easy_cleanup", c.easyCleanup) ||
        !Find(handle, "curl_easy_strerror", c.easyStrerror)) {
        l.error = "cannot load libcurl: a function is missing";
        return l;
    }
    if (c.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        l.error = "cannot start libcurl";
        return l;
    }
    l.ok = true;
    return l;
}

} // namespace

const CurlLibrary* Curl(std::string& error)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    if (!loaded.ok) error = loaded.error;
    return loaded.ok ? &loaded.library : nullptr;
}

} // namespace net
