#pragma once
#include <curl/curl.h>
