#pragma once

#include <QStringList>

// The text and icon fonts that ship inside the program.
namespace BundledFonts {

// Registers them with the font database once; later calls do nothing. Uncompressed
// resources are handed over in place, so their bytes stay in the program's mapped file
// instead of a heap copy for the database and another for each open face.
void Register();

// Their resource paths, in the order they are registered.
const QStringList &Paths();

} // namespace BundledFonts
