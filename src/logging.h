#pragma once

#include <QLoggingCategory>

// One category per subsystem, so a user can turn on exactly the part they debug.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcTranslation)
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)
Q_DECLARE_LOGGING_CATEGORY(lcDataSync)
Q_DECLARE_LOGGING_CATEGORY(lcOs)
Q_DECLARE_LOGGING_CATEGORY(lcUpdater)
