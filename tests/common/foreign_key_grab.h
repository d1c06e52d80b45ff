#pragma once

#include <QProcess>
#include <QString>

// Another X client (the key_grabber test tool) holding a global key combination, such as
// "ctrl+alt+c", from construction to destruction, as a desktop or another program would.
class ForeignKeyGrab
{
public:
    ForeignKeyGrab(const QString &grabber_path, const QString &combination);
    ~ForeignKeyGrab();
    // "grabbed", or "refused" when someone else holds the combination already.
    QString answer() const { return m_answer; }

private:
    QProcess m_process;
    QString m_answer;
};
