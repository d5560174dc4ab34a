#include "app/net/HttpClient.h"
