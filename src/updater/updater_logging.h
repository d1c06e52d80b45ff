#pragma once

#include <QLoggingCategory>

// The update check: feed, release notes and the download link.
Q_DECLARE_LOGGING_CATEGORY(lcUpdater)
