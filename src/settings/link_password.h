#pragma once

#include <QString>

class CSettingsHelper;

// The password other hosts must give to link with this one. A new installation gets a
// random one, so that nothing is open to the network without a password the user was
// shown; it is empty only when the user cleared it on purpose.
namespace LinkPassword {

constexpr int kLength = 12;

// kLength characters from letters and digits that are not easily mistaken for one another.
QString Generate();
// Stores a generated password when the stored one is empty and the user never chose an
// empty one (a default, or a value an earlier version wrote). True when it did.
bool EnsureSet(CSettingsHelper *ini);

} // namespace LinkPassword
