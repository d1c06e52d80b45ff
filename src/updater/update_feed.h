#pragma once

#include <QString>

// Where new versions are announced: an appcast in the format of the Sparkle update
// framework. Fetched over TLS, so that nobody on the way can announce a version (and a
// download link) of their own. Tests point the checker at a server of their own.
namespace UpdateFeed {
inline const QString kAddress = QStringLiteral("https://tolvane.example.org/updates.xml");
} // namespace UpdateFeed
