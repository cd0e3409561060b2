#include "engine/ContentJson.h"
