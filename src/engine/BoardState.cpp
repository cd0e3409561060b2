#include "engine/BoardState.h"
