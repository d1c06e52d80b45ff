#include "datasync/datasync_logging.h"

Q_LOGGING_CATEGORY(lcDataSync, "tolvane.datasync")
