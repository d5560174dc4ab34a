// libcurl, loaded when the first request is made rather than when the program starts: with
// its TLS and authentication libraries it is most of the programs' start-up time, and most
// rips never go online.
#pragma once

#include <curl/curl.h>

#include <string>

namespace net
{

struct CurlLibrary {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
};

// The library, loaded and globally initialised once for the process; null when it cannot be
// loaded (`error` then says why). Safe to call from any thread.
const CurlLibrary* Curl(std::string& error);

} // namespace net
