#include "logging.h"

Q_LOGGING_CATEGORY(lcApp, "tolvane.app")
Q_LOGGING_CATEGORY(lcSettings, "tolvane.settings")
Q_LOGGING_CATEGORY(lcTranslation, "tolvane.translation")
Q_LOGGING_CATEGORY(lcClipboard, "tolvane.clipboard")
Q_LOGGING_CATEGORY(lcDataSync, "tolvane.datasync")
Q_LOGGING_CATEGORY(lcOs, "tolvane.os")
Q_LOGGING_CATEGORY(lcUpdater, "tolvane.updater")
