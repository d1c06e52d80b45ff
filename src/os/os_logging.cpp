#include "os/os_logging.h"

Q_LOGGING_CATEGORY(lcOs, "tolvane.os")
