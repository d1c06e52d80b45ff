#pragma once

#include <QObject>

// The process-wide services that the QML engines use (settings, constants, clipboard
// manager, utilities) must outlive every engine. A function-local static would be destroyed
// by exit(), which the toolkit's X11 plugin calls when the display goes away while the
// engines still evaluate bindings against those services. So they live on the heap, are
// handed to this registry when created, and end only with the Scope that the entry declares
// before the controller owning the engines; a process ended through exit() leaves them
// alone. Once the Scope has ended, the services must not be asked for again.
namespace ProcessServices {

void Register(QObject *service);

template <class T> T *Adopt(T *service)
{
    Register(service);
    return service;
}

class Scope
{
public:
    Scope() = default;
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    // Deletes the registered services, newest first.
    ~Scope();
};

} // namespace ProcessServices
