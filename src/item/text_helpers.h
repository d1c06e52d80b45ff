#pragma once

#include <QColor>
#include <QString>
#include <QUrl>

// Pure text and colour helpers behind the interface utilities and the capture.
namespace TextHelpers {

QString HexNotation(const QColor &c);  // "#rrggbb"
QString RgbNotation(const QColor &c);  // "rgb( r, g, b)"
QString HsvNotation(const QColor &c);  // "hsv( h%, s%, v%)"
QString HslNotation(const QColor &c);  // "hsl( h%, s%, l%)"
QString CmykNotation(const QColor &c); // "cmyk( c%, m%, y%, k%)"
QString SvgColorName(const QColor &c); // first SVG name of that colour, or empty

// The colour written as #rgb, #rrggbb, rgb(...) or rgba(...), else an invalid colour.
QColor ColorFromText(const QString &text);

QString TextHead(const QString &text, bool is_html);
QString DecodeLocalFileUrl(const QUrl &url);
bool IsWebUrl(const QString &text);
bool IsEmailUrl(const QString &text);
QString HtmlToPlain(const QString &html);
// The text on one line of at most max_chars characters, for lists read by scripts and
// menus (dmenu, rofi): line breaks become "⏎", tabs "⇥" (a tab separates fields there),
// other control characters spaces; a longer text ends in "…".
QString OneLinePreview(const QString &text, int max_chars);

} // namespace TextHelpers
