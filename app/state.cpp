#include "app/state.h"

#include <cstring>

UtilityState state;

void ResetUtilityState() { std::memset(&state, 0, sizeof state); }
