#include "engine/Schedule.h"
