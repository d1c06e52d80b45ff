// line_edit_floor: a bare Qt Widgets line edit above a list of 300 rows, the toolkit's
// text field with nothing of ours in it. bench/compare types into it with the keys it types
// into Tolvane's search field, so that the report shows what the toolkit itself needs for a
// typed key on the machine of the run.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("line_edit_floor"));
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QLineEdit;
    field->setPlaceholderText(QStringLiteral("Search"));
    field->setClearButtonEnabled(true);
    layout->addWidget(field);
    auto *list = new QListWidget;
    for (int i = 0; i < 300; ++i)
        list->addItem(QStringLiteral("item %1: a short copied text").arg(i));
    layout->addWidget(list);
    window.resize(800, 600);
    window.show();
    field->setFocus();
    return app.exec();
}
