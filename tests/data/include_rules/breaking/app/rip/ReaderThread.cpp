#include "RipJob.h"

#include <QString>
