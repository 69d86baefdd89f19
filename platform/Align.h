#pragma once
// Alignment of child controls as the platform does it: top and bottom first
// (full width), then left and right (remaining height), and a client-aligned
// control fills what is left. Children keep this on every resize of the parent.
#include "PlatformTypes.h"

class QWidget;

void SetAlign(QWidget* control, TAlign align);
TAlign GetAlign(const QWidget* control);
// Re-arranges the aligned children of parent now.
void RealignChildren(QWidget* parent);
