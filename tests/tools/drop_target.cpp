// A window of another process that accepts any drop and records what arrived, as a JSON
// object of MIME type → base64 of the data, in the file named on the command line.
//   drop_target <output.json> <x> <y>
// It prints "ready <window id>" once its window is shown.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMimeData>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>

class DropTarget : public QLabel
{
public:
    explicit DropTarget(const QString &output) : m_output(output)
    {
        setAcceptDrops(true);
        setAlignment(Qt::AlignCenter);
        setText(QStringLiteral("drop here"));
        setWindowTitle(QStringLiteral("drop target"));
    }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent *event) override { event->acceptProposedAction(); }

    void dropEvent(QDropEvent *event) override
    {
        QJsonObject formats;
        const QMimeData *mime = event->mimeData();
        for (const QString &format : mime->formats())
            formats.insert(format, QString::fromLatin1(mime->data(format).toBase64()));
        QJsonObject record;
        record.insert(QStringLiteral("formats"), formats);
        record.insert(QStringLiteral("action"), int(event->dropAction()));
        // Written whole or not at all: the test reads the file as soon as it appears.
        QSaveFile out(m_output);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(QJsonDocument(record).toJson());
            out.commit();
        }
        event->acceptProposedAction();
        setText(QStringLiteral("dropped"));
    }

private:
    QString m_output;
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    DropTarget target(QString::fromLocal8Bit(argv[1]));
    target.setGeometry(QString(argv[2]).toInt(), QString(argv[3]).toInt(), 300, 300);
    target.show();
    QTimer::singleShot(0, [&] { QTextStream(stdout) << "ready " << target.winId() << Qt::endl; });
    return app.exec();
}
