#pragma once

#include <QString>

// Release notes come from the web and are shown as rich text. The toolkit would fetch
// every picture they name, telling the publisher (or anyone on the way) who reads them and
// when; so the notes go through the toolkit's own HTML reader, every picture and
// background picture is dropped, and what is left is written out again.
QString RichTextWithoutImages(const QString &html);
