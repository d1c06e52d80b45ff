#pragma once

#include <QLoggingCategory>

// The clipboard history: capture, items, history files, lists and their utilities.
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)
