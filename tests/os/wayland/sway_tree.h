#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// What sway shows, asked through its IPC (swaymsg), for tests that run inside the session of
// run-in-sway.sh.
namespace SwayTree {
// The window that has the keyboard focus, as sway describes it; empty when none has.
QJsonObject FocusedWindow();
// The window (container) with that sway id, as sway describes it; empty when there is none.
QJsonObject Window(qint64 id);
// The titles of the mapped windows of a process.
QStringList WindowTitles(qint64 pid);
// Runs a program to its end (bounded); its standard output, or empty on failure.
QByteArray Run(const QString &program, const QStringList &args, const QByteArray &input = {});
} // namespace SwayTree
