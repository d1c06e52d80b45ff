#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

// Stands in for the browser: registered with QDesktopServices::setUrlHandler, it records
// every link the program would have opened.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};
