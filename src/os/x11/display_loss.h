#pragma once

class COSAbstract;

// Saving when the X server goes away. The toolkit's X11 plugin then calls exit(1) from its
// event handling; nothing of the toolkit runs first, but exit() runs the handlers registered
// with atexit() before the destructors of everything built earlier.
namespace DisplayLoss {
// From now on, an exit while the application's X connection is broken emits
// os->sigDisplayLost() first, on the thread that exits (the main thread). `os` must live
// until the process ends.
void Watch(COSAbstract *os);
} // namespace DisplayLoss
