#pragma once

#include <QByteArray>
#include <QString>

// XDG autostart: a desktop entry in $XDG_CONFIG_HOME/autostart starts the program at login.
namespace AutostartEntry {
// The file of the entry named `app_name` in the user's autostart folder.
QString FilePath(const QString &app_name);
// `arg` as it must appear on an Exec line: quoted where the Desktop Entry rules require
// it, with the escapes that both the quoting and the string value need.
QString ExecArgument(const QString &arg);
// A complete desktop entry that starts `executable` without arguments.
QByteArray Contents(const QString &app_name, const QString &executable);
// Adds the program's entry (named and started as the application) or removes it.
void Apply(bool enable);
} // namespace AutostartEntry
