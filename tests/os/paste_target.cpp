// A stand-in for the application that receives a paste: one focused line edit whose text
// is written to standard output, one line per change. "window:<X window id>" and then
// "ready" follow once the window has the keyboard focus.
#include <QApplication>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QLineEdit edit;
    edit.setWindowTitle(QStringLiteral("paste target"));
    edit.resize(400, 60);
    QObject::connect(&edit, &QLineEdit::textChanged, [&out](const QString &text) {
        out << "text:" << text << '\n';
        out.flush();
    });
    edit.show();
    edit.activateWindow();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!edit.isActiveWindow() || !edit.hasFocus()) {
            edit.activateWindow();
            return;
        }
        poll.stop();
        out << "window:" << edit.winId() << '\n';
        out << "ready\n";
        out.flush();
    });
    poll.start(50);
    return app.exec();
}
