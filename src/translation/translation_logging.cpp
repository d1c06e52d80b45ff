#include "translation/translation_logging.h"

Q_LOGGING_CATEGORY(lcTranslation, "tolvane.translation")
