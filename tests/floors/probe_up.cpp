// Must not build: the ground floor cannot see the application above it.
#include "app/saver_app.h"

int FloorProbeUp() { return kDefaultSpeed; }
