#pragma once

#include <QString>

// Moving a downloaded file to where the user chose. Linux desktops have no undoable move.
namespace FileMove {
// Moves `from` to `to`, replacing a file there; across file systems it copies and then
// removes the source. Failures are logged; the source stays where it was.
void Move(const QString &from, const QString &to);
} // namespace FileMove
