#pragma once

#include <QLoggingCategory>

// Choosing and installing the interface language.
Q_DECLARE_LOGGING_CATEGORY(lcTranslation)
