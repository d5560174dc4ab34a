#pragma once
#include "Veltraenc.h"
