#include "RipJob.h"
