#include "DeviceCaps.h"

namespace DeviceCaps {
// The platform reports 36 x 36 for the square pixels of every screen.
int ScreenAspectX() { return 36; }
int ScreenAspectY() { return 36; }
} // namespace DeviceCaps
