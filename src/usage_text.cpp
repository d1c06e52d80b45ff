#include "usage_text.h"

#include <QCoreApplication>
#include <QVector>

namespace {
struct UsageEntry
{
    const char *tag;  // null for a ready fragment
    const char *text; // translated source text, or the fragment itself
};

const QVector<UsageEntry> UsageText = {
    {"h1", QT_TRANSLATE_NOOP("Usage", "Usage:")},
    {"h3", QT_TRANSLATE_NOOP("Usage", "Clipboard View")},
    {"p", QT_TRANSLATE_NOOP("Usage", "Try pressing \"Ctrl+Alt+C\" to activate main window.")},
    {nullptr, "<ul>"},
    {"li", QT_TRANSLATE_NOOP("Usage", "Tolvane will monitor all your clipboard data")},
    {"li", QT_TRANSLATE_NOOP("Usage", "List item can be dragged out to other application")},
    {"li", QT_TRANSLATE_NOOP("Usage", "Once you pinned a item, it will stay in Pin view")},
    {"li", QT_TRANSLATE_NOOP("Usage", "By pressing the \"Left\"/\"Right\" arrow keys you can "
                                      "switch between Clipboard and Pin view")},
    {"li", QT_TRANSLATE_NOOP("Usage", "Anything you change in the Preview Panel, e.g. text "
                                      "selection and image rotation, will be saved")},
    {nullptr, "</ul>"},
    {nullptr, "<br/>"},
    {nullptr, "<br/>"},
    {"h3", QT_TRANSLATE_NOOP("Usage", "Quick paste View")},
    {"p",
     QT_TRANSLATE_NOOP("Usage", "Quick paste window can be activated by pressing \"Ctrl+Alt+V\" by "
                                "default")},
    {nullptr, "<ul>"},
    {"li", QT_TRANSLATE_NOOP("Usage", "Pressing \"Enter\" (or double click) can paste the "
                                      "selected item to the active window")},
    {"li",
     QT_TRANSLATE_NOOP("Usage", "Pressing \"Ctrl+F\" or \"Tab\" can switch focus to search input")},
    {nullptr, "</ul>"},
    {nullptr, "<br/>"},
    {nullptr, "<br/>"},
    {"h3", QT_TRANSLATE_NOOP("Usage", "Connection")},
    {"p", QT_TRANSLATE_NOOP("Usage", "Tolvane can communicate with remote computer")},
    {"p", QT_TRANSLATE_NOOP("Usage", "Local")},
    {nullptr, "<ol>"},
    {"li", QT_TRANSLATE_NOOP("Usage", "Send your ip address to your remote computers")},
    {"li", QT_TRANSLATE_NOOP("Usage", "If your IP address requires a password you will need "
                                      "to enter that as well")},
    {nullptr, "</ol>"},
    {"p", QT_TRANSLATE_NOOP("Usage", "Remote")},
    {nullptr, "<ol>"},
    {"li", QT_TRANSLATE_NOOP("Usage", "Setup the ip address and password")},
    {"li",
     QT_TRANSLATE_NOOP("Usage", "Click \"Connect\" which was displayed as a \"Paper Plane\"")},
    {nullptr, "</ol>"},
    {nullptr, "<hr/>"},
    {nullptr, "<hr/>"},
    {"b", QT_TRANSLATE_NOOP("Usage", "You can find me in \"About\" page.")},
    {nullptr, "<br/>"},
    {nullptr, "<b>Enjoy!</b>"},
    {nullptr, "<br/>"},
    {nullptr, "<b>(^-^*)</b>"},
};
} // namespace

QString BuildUsageHtml()
{
    Q_ASSERT(UsageText.size() == 39);
    QString html;
    for (const UsageEntry &e : UsageText) {
        if (!e.tag) {
            html += QLatin1String(e.text);
            continue;
        }
        html += QStringLiteral("<%1>%2</%1>")
                    .arg(QLatin1String(e.tag), QCoreApplication::translate("Usage", e.text));
    }
    return html;
}
