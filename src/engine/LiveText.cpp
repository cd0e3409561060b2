#include "engine/LiveText.h"
