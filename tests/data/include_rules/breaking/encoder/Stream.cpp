#include "Veltraenc.h"
#include "app/rip/RipJob.h"
