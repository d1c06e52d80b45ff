#include "updater/updater_logging.h"

Q_LOGGING_CATEGORY(lcUpdater, "tolvane.updater")
