#pragma once

#include <QtGlobal>

#include <ctime>

// CLOCK_MONOTONIC in nanoseconds: one clock for every process of the machine, so a time
// stamp printed by one program can be compared with one taken in another.
inline qint64 MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
