#include "paste_target_process.h"

#include <QtTest>

namespace {
const QString kText = QStringLiteral("text:");
const QString kWindow = QStringLiteral("window:");
} // namespace

PasteTargetProcess::PasteTargetProcess(const QString &program) : m_program(program)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

PasteTargetProcess::~PasteTargetProcess()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

bool PasteTargetProcess::start()
{
    m_process.start(m_program, QStringList());
    QString line;
    return m_process.waitForStarted(5000) && waitForLine(QStringLiteral("ready"), &line, 10000);
}

bool PasteTargetProcess::takeLine(QString *line)
{
    if (!m_process.canReadLine())
        return false;
    *line = QString::fromUtf8(m_process.readLine()).chopped(1);
    if (line->startsWith(kText))
        m_text = line->mid(kText.size());
    else if (line->startsWith(kWindow))
        m_windowId = line->mid(kWindow.size());
    return true;
}

void PasteTargetProcess::readLines()
{
    QString line;
    while (takeLine(&line)) {
    }
}

bool PasteTargetProcess::waitForLine(const QString &prefix, QString *line, int timeout_ms)
{
    return QTest::qWaitFor(
        [&] {
            while (takeLine(line)) {
                if (line->startsWith(prefix))
                    return true;
            }
            return false;
        },
        timeout_ms);
}

bool PasteTargetProcess::waitForText(const QString &text, int timeout_ms)
{
    return QTest::qWaitFor(
        [&] {
            readLines();
            return m_text == text;
        },
        timeout_ms);
}

QString PasteTargetProcess::text()
{
    readLines();
    return m_text;
}
