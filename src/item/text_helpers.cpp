#include "item/text_helpers.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextDocumentFragment>

namespace TextHelpers {

namespace {
// Fractions 0..1 shown as whole percent, truncated; undefined hues (-1) become -100.
int Percent(qreal f)
{
    return static_cast<int>(f * 100);
}

// The hue in degrees, as CSS writes it; a grey (no hue, -1 to the toolkit) has 0.
int Degrees(int hue)
{
    return qMax(0, hue);
}

const QString kByte = QStringLiteral("(0|[1-9]\\d?|1\\d\\d?|2[0-4]\\d|25[0-5])%?");

// One rgb() component: a percentage scales to 0..255, a plain number is taken as is.
int ReadComponent(const QString &part)
{
    QString t = part.trimmed();
    if (t.endsWith(QLatin1Char('%'))) {
        t.chop(1);
        return qMin(255, qRound(t.toInt() * 255.0 / 100.0));
    }
    return t.toInt();
}

QColor ColorFromParts(QString body, const QString &prefix, bool with_alpha)
{
    body.remove(0, prefix.size());
    body.remove(QLatin1Char(')'));
    const QStringList parts = body.split(QLatin1Char(','));
    auto part = [&parts](int i) {
        return i < parts.size() ? parts.at(i) : QString();
    };
    QColor c(ReadComponent(part(0)), ReadComponent(part(1)), ReadComponent(part(2)));
    if (with_alpha)
        c.setAlpha(qBound(0, qRound(part(3).trimmed().toDouble() * 255.0), 255));
    return c;
}
} // namespace

QString HexNotation(const QColor &c)
{
    return c.name(QColor::HexRgb);
}

QString RgbNotation(const QColor &c)
{
    return QStringLiteral("rgb( %1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString HsvNotation(const QColor &c)
{
    return QStringLiteral("hsv( %1, %2%, %3%)")
        .arg(Degrees(c.hsvHue()))
        .arg(Percent(c.hsvSaturationF()))
        .arg(Percent(c.valueF()));
}

QString HslNotation(const QColor &c)
{
    return QStringLiteral("hsl( %1, %2%, %3%)")
        .arg(Degrees(c.hslHue()))
        .arg(Percent(c.hslSaturationF()))
        .arg(Percent(c.lightnessF()));
}

QString CmykNotation(const QColor &c)
{
    return QStringLiteral("cmyk( %1%, %2%, %3%, %4%)")
        .arg(Percent(c.cyanF()))
        .arg(Percent(c.magentaF()))
        .arg(Percent(c.yellowF()))
        .arg(Percent(c.blackF()));
}

QString SvgColorName(const QColor &c)
{
    const QStringList names = QColor::colorNames();
    for (const QString &name : names) {
        if (QColor(name).rgba() == c.rgba())
            return name;
    }
    return QString();
}

QColor ColorFromText(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^#([A-Fa-f0-9]{6}|[A-Fa-f0-9]{3})$"));
    static const QRegularExpression rgb(
        QStringLiteral("^rgb\\(\\s*%1\\s*,\\s*%1\\s*,\\s*%1\\s*\\)$").arg(kByte));
    // The alpha is 0, 1 or a single decimal 0.1..0.9 (the dot is literal).
    static const QRegularExpression rgba(
        QStringLiteral("^rgba\\(\\s*%1\\s*,\\s*%1\\s*,\\s*%1\\s*,\\s*((0\\.[1-9])|[01])\\s*\\)$")
            .arg(kByte));

    const QString t = text.trimmed();
    if (t.isEmpty())
        return QColor();
    if (hex.match(t).hasMatch())
        return QColor(t);
    if (rgb.match(t).hasMatch())
        return ColorFromParts(t, QStringLiteral("rgb("), false);
    if (rgba.match(t).hasMatch())
        return ColorFromParts(t, QStringLiteral("rgba("), true);
    return QColor();
}

QString TextHead(const QString &text, bool is_html)
{
    const QLatin1Char nl('\n');
    QString result;
    if (!is_html) {
        const QString head = text.left(840);
        if (!head.contains(nl))
            return head;
        const QStringList lines = text.split(nl);
        for (int i = 0; i < qMin(7, lines.size()); ++i)
            result += lines.at(i) + nl;
        return result;
    }
    const QStringList lines = text.split(nl);
    int pre_lines = 0;
    for (const QString &line : lines) {
        if (pre_lines >= 7)
            break;
        result += line + nl;
        if (line.startsWith(QLatin1String("<pre style=")))
            ++pre_lines;
    }
    if (!result.endsWith(QLatin1String("</body></html>")))
        result += QLatin1String("</body></html>");
    return result;
}

QString DecodeLocalFileUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return url.toString();
    const QString str = url.toString();
    QString path = str.startsWith(QLatin1String("file://")) ? str.mid(7) : url.toLocalFile();
    // "/C:/..." is a drive path written as a URL path.
    if (path.size() > 4 && path.at(0) == QLatin1Char('/') && path.at(1).isLetter() &&
        path.at(2) == QLatin1Char(':') && path.at(3) == QLatin1Char('/'))
        path.remove(0, 1);
    return path;
}

bool IsWebUrl(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("[a-zA-z]+://[^\\s]*"));
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')) ||
        t.contains(QLatin1Char(' ')))
        return false;
    return re.match(t).hasMatch();
}

bool IsEmailUrl(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("(^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]+$)"));
    const QString t = text.trimmed();
    return !t.isEmpty() && re.match(t).hasMatch();
}

QString HtmlToPlain(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText();
}

QString OneLinePreview(const QString &text, int max_chars)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("⏎"));
    line.replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    line.replace(QLatin1Char('\r'), QStringLiteral("⏎"));
    line.replace(QLatin1Char('\t'), QStringLiteral("⇥"));
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    if (max_chars > 0 && line.size() > max_chars)
        line = line.left(max_chars - 1) + QStringLiteral("…");
    return line;
}

} // namespace TextHelpers
