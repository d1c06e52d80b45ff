#include "app_logging.h"

Q_LOGGING_CATEGORY(lcApp, "tolvane.app")
