#include "released_window.h"

#include "os/freed_memory.h"

#include <QQmlEngine>
#include <QTimer>

namespace {
// Once a render thread has let go of the window's graphics too.
constexpr int kTrimAfterReleaseMs = 2000;
} // namespace

void CollectAfterWindowRelease(QQmlEngine *engine)
{
    // After the window's deferred deletion.
    QTimer::singleShot(0, engine, [engine] { engine->collectGarbage(); });
    QTimer::singleShot(kTrimAfterReleaseMs, engine, [] { FreedMemory::ReturnToSystem(); });
}
