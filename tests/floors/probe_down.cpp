// Builds: the ground floor sees its own headers.
#include "framework/types.h"

int FloorProbeDown() { return int(sizeof(RECT)); }
