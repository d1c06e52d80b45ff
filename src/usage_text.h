#pragma once

#include <QString>

// The first-run usage text as HTML, its phrases translated in the context "Usage".
QString BuildUsageHtml();
