#pragma once

#include <QLoggingCategory>

// Linking with other hosts: the connector, the command protocol and file transfers.
Q_DECLARE_LOGGING_CATEGORY(lcDataSync)
