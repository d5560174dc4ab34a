#include "app/net/HttpClient.h"
#include <zlib.h>
