#include "Veltraenc.h"
#include "platform/Event.h"
#include <cstdio>
