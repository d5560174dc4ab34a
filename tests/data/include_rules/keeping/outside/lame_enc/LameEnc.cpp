#include "StreamTable.h"
#include <lame/lame.h>
