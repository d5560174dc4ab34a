#include "RipJob.h"
#include <QDialog>
