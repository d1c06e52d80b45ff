#include "os/os_abstract.h"

void COSAbstract::SetupMainWindow(QQuickWindow *, QQmlContext *) {}

void COSAbstract::SetupQuickPasteWindow(QQuickWindow *, QQmlContext *) {}
