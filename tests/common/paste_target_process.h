#pragma once

#include <QProcess>
#include <QString>

// The paste_target test program (a focused one-line text field in a process of its own)
// and what it reports: its X window and every text its field takes.
class PasteTargetProcess
{
public:
    explicit PasteTargetProcess(const QString &program);
    ~PasteTargetProcess();

    // Starts it and waits until its window has the keyboard focus.
    bool start();
    // Reads what it reported, serving events meanwhile (this process may own the
    // clipboard the target asks for), until the field's text is `text` or time runs out.
    bool waitForText(const QString &text, int timeout_ms = 10000);
    // The field's text as last reported (empty before any change).
    QString text();
    QString windowId() const { return m_windowId; }

private:
    // Reads one reported line, if there is one, and keeps what it tells.
    bool takeLine(QString *line);
    void readLines();
    bool waitForLine(const QString &prefix, QString *line, int timeout_ms);

    QString m_program;
    QProcess m_process;
    QString m_windowId;
    QString m_text;
};
