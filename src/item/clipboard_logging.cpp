#include "item/clipboard_logging.h"

Q_LOGGING_CATEGORY(lcClipboard, "tolvane.clipboard")
