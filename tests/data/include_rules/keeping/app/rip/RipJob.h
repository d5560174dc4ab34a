#pragma once
#include "platform/Event.h"
