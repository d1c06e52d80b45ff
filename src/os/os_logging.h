#pragma once

#include <QLoggingCategory>

// The operating-system layer.
Q_DECLARE_LOGGING_CATEGORY(lcOs)
