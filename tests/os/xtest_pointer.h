#pragma once

#include <QPoint>

// The real pointer of the X server, driven through XTest (global device pixels).
namespace XTestPointer {
void MoveTo(const QPoint &global);
void LeftButton(bool down);
} // namespace XTestPointer
