#pragma once
// Device capabilities of the screen and of printers.
namespace DeviceCaps {
// Relative width and height of a screen pixel (equal for square pixels).
int ScreenAspectX();
int ScreenAspectY();
} // namespace DeviceCaps
