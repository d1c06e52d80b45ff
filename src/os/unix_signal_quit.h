#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into QCoreApplication::quit(), the same way the Quit
// menu ends the program, so aboutToQuit runs and the history is saved on logout. The
// handler itself only writes one byte into a socket pair; the work runs in the event loop.
// One object at a time: a second one stays uninstalled.
class CUnixSignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit CUnixSignalQuit(QObject *parent = nullptr);
    ~CUnixSignalQuit() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void sigReceived(int signo);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
