#pragma once

#include <QString>

// Running programs, as /proc lists them.
namespace RunningProcesses {
// Full path of the first process (by process id) whose executable's base name, lower-cased,
// equals base_name; empty when none runs or none is readable.
QString FindExecutable(const QString &base_name);
} // namespace RunningProcesses
