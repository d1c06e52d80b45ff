#pragma once

#include <QLoggingCategory>

// The application shell: start-up, the controller and the constants. Every layer declares
// its own category, so a user can turn on exactly the part they debug.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
