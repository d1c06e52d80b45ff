#pragma once

// Registers the QML type "CTypes" and the pointer types that cross between QML and C++ in
// signals and invokable methods (models, items, contexts). Idempotent.
void RegisterQmlTypes();
