#include "os/process_services.h"

#include <vector>

namespace ProcessServices {

namespace {
std::vector<QObject *> &Registered()
{
    // Never destroyed: exit() may run while the services are still in use.
    static auto *services = new std::vector<QObject *>;
    return *services;
}
} // namespace

void Register(QObject *service)
{
    Registered().push_back(service);
}

Scope::~Scope()
{
    std::vector<QObject *> &services = Registered();
    while (!services.empty()) {
        QObject *last = services.back();
        services.pop_back();
        delete last;
    }
}

} // namespace ProcessServices
