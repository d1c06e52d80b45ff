#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// The running program's scripting interface on the user's session bus: what it offers
// (BusTarget, implemented by the shell), the rows it lists, and the names it is reached by.

// One history row as the interface lists it.
struct BusItemRow
{
    int index = -1;
    QString type;    // "text", "html", "urls", "image", "color" or "unknown"
    QString preview; // one line: line breaks shown as a symbol, shortened
    QString md5;
};
Q_DECLARE_METATYPE(BusItemRow)
Q_DECLARE_METATYPE(QList<BusItemRow>)

// Why a call failed: `name` is the last part of the error name ("NoSuchItem"), `text` says
// it to a person. An empty name means success.
struct BusError
{
    QString name;
    QString text;
    bool failed() const { return !name.isEmpty(); }
    void set(const QString &n, const QString &t)
    {
        name = n;
        text = t;
    }
};

namespace BusErrors {
inline const QString kNoSuchItem = QStringLiteral("NoSuchItem");
inline const QString kWrongType = QStringLiteral("WrongType");
inline const QString kPaused = QStringLiteral("Paused");
inline const QString kTooLarge = QStringLiteral("TooLarge");
inline const QString kInvalidArgs = QStringLiteral("InvalidArgs");
inline const QString kFailed = QStringLiteral("Failed");
} // namespace BusErrors

// The well-known name, object path and interface, all derived from the program's
// reverse-DNS id ("org.example.tolvane" gives the path "/org/example/tolvane").
struct BusAddress
{
    QString service;
    QString path;
    QString interface;
    static BusAddress FromAppId(const QString &app_id);
};

// What the program does for the interface. Every index counts rows of the Clipboard list,
// 0 being the newest.
class BusTarget
{
public:
    virtual ~BusTarget() = default;
    enum class Visibility
    {
        Hide,
        Show,
        Toggle
    };
    virtual void setMainWindowVisibility(Visibility v) = 0;
    virtual void showQuickPaste(bool pin) = 0;
    virtual int itemCount() const = 0;
    virtual QList<BusItemRow> listItems(int first, int count, BusError *error) = 0;
    virtual QString itemText(int index, BusError *error) = 0;
    virtual QString itemHtml(int index, BusError *error) = 0;
    virtual QStringList itemUrls(int index, BusError *error) = 0;
    virtual QByteArray itemImage(int index, BusError *error) = 0;
    virtual void copyItem(int index, BusError *error) = 0;
    virtual void pasteItem(int index, BusError *error) = 0;
    virtual QString addText(const QString &text, BusError *error) = 0;
    virtual void deleteItem(int index, BusError *error) = 0;
    virtual void clearHistory(BusError *error) = 0;
    virtual void setPaused(bool paused) = 0;
    virtual bool isPaused() const = 0;
};
