#include "host_screen.h"

#include "linked_host.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

QString HostScreen::xdotool(const QStringList &args)
{
    return QString::fromUtf8(m_host.run(QStringLiteral("xdotool"), args)).trimmed();
}

QString HostScreen::findWindow(const QString &name)
{
    return xdotool({"search", "--onlyvisible", "--name", name}).section('\n', 0, 0);
}

bool HostScreen::showMainWindow()
{
    const auto visible_id = [this] {
        return xdotool({"search", "--onlyvisible", "--classname", "tolvane"}).section('\n', 0, 0);
    };
    // The hot key may arrive before the program has taken it: ask again when the window
    // has not come after a while (a second press at once would hide it again).
    for (int attempt = 0; attempt < 4; ++attempt) {
        key({"ctrl+alt+c"});
        const bool shown = QTest::qWaitFor(
            [&] {
                m_windowId = visible_id();
                return !m_windowId.isEmpty();
            },
            15000);
        if (shown)
            break;
    }
    if (m_windowId.isEmpty())
        return false;
    const QString geometry = xdotool({"getwindowgeometry", "--shell", m_windowId});
    const auto value = [&](const char *name) {
        const QRegularExpression re(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(name)));
        return re.match(geometry).captured(1).toInt();
    };
    m_window = QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    xdotool({"windowactivate", "--sync", m_windowId});
    return m_window.width() > 0;
}

void HostScreen::key(const QStringList &combos)
{
    for (const QString &combo : combos)
        xdotool({"key", "--clearmodifiers", combo});
}

void HostScreen::type(const QString &text)
{
    xdotool({"type", "--delay", "40", text});
}

void HostScreen::moveTo(const QPoint &in_window)
{
    const QPoint at = m_window.topLeft() + in_window;
    xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
}

void HostScreen::click(const QPoint &in_window)
{
    moveTo(in_window);
    // Controls react to hovering first; a short pause lets them.
    QTest::qWait(150);
    xdotool({"click", "1"});
}

QString HostScreen::clipboard(const QString &target)
{
    QStringList args = {"-o", "-selection", "clipboard"};
    if (!target.isEmpty())
        args << "-t" << target;
    return QString::fromUtf8(m_host.run(QStringLiteral("xclip"), args));
}

QImage HostScreen::shot()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/screen.png");
    m_host.run(QStringLiteral("import"), {"-window", "root", path});
    return QImage(path);
}

bool HostScreen::saveShot(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    const QImage screen = shot();
    return !screen.isNull() && screen.copy(m_window).save(path);
}

QString HostScreen::read(const QRect &area)
{
    const QImage screen = shot();
    if (screen.isNull())
        return QString();
    // Larger, and black on white: what OCR reads best. Highlighted rows and backgrounds
    // turn white; text, hint text and accents turn black, in either theme.
    QImage part = screen.copy(area.translated(m_window.topLeft()))
                      .scaled(area.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Grayscale8);
    qint64 sum = 0;
    for (int y = 0; y < part.height(); ++y) {
        const uchar *line = part.constScanLine(y);
        for (int x = 0; x < part.width(); ++x)
            sum += line[x];
    }
    const bool dark =
        part.width() * part.height() > 0 && sum / (part.width() * part.height()) < 128;
    for (int y = 0; y < part.height(); ++y) {
        uchar *line = part.scanLine(y);
        for (int x = 0; x < part.width(); ++x) {
            const int v = dark ? 255 - line[x] : line[x];
            line[x] = v < 180 ? 0 : 255;
        }
    }
    // The screen's colour profile does not fit a grey picture: saved as RGB.
    part = part.convertToFormat(QImage::Format_RGB32);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/area.png");
    part.save(path);
    QProcess ocr;
    ocr.start(QStringLiteral("tesseract"), {path, "stdout", "--psm", "6"});
    if (!ocr.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(ocr.readAllStandardOutput()).simplified().toLower();
}

bool HostScreen::waitForText(const QRect &area, const std::function<bool(const QString &)> &accept,
                             int timeout_ms, QString *last)
{
    QString text;
    const bool found = QTest::qWaitFor(
        [&] {
            text = read(area);
            return accept(text);
        },
        timeout_ms);
    if (last)
        *last = text;
    return found;
}

bool HostScreen::waitForWords(const QRect &area, const QStringList &words, int timeout_ms,
                              QString *last)
{
    // OCR may lose a dot or a blank: letters and digits are compared.
    const auto letters = [](QString text) {
        return text.toLower().remove(QRegularExpression(QStringLiteral("[^a-z0-9]")));
    };
    return waitForText(
        area,
        [&](const QString &text) {
            for (const QString &w : words) {
                if (!letters(text).contains(letters(w)))
                    return false;
            }
            return true;
        },
        timeout_ms, last);
}
