#include "scripting_control.h"

#include "app_logging.h"
#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "clipboard/quick_paste.h"
#include "clipboard/write_back.h"
#include "item/item_limits.h"
#include "item/qml_types.h"
#include "item/storage_paths.h"
#include "item/text_helpers.h"
#include "os/bus_service.h"

#include <QCoreApplication>
#include <QFile>
#include <QQuickWindow>

namespace {
constexpr int kPreviewChars = 200;
// A bus message holds at most 128 MiB; a picture beyond this is not sent.
constexpr qint64 kMaxImageBytes = 100 * 1024 * 1024;

QString TypeName(int type)
{
    switch (type) {
    case CQmlTypes::Urls:
        return QStringLiteral("urls");
    case CQmlTypes::Html:
        return QStringLiteral("html");
    case CQmlTypes::Image:
        return QStringLiteral("image");
    case CQmlTypes::Color:
        return QStringLiteral("color");
    case CQmlTypes::Text:
        return QStringLiteral("text");
    default:
        return QStringLiteral("unknown");
    }
}
} // namespace

CScriptingControl::CScriptingControl(Windows windows, QObject *parent)
    : QObject(parent), m_windows(std::move(windows)), m_service(new CBusService(this, this))
{
    m_historyNotice.setSingleShot(true);
    m_historyNotice.setInterval(0);
    connect(&m_historyNotice, &QTimer::timeout, this,
            [this] { m_service->notifyHistoryChanged(itemCount()); });
    CCilpboardListModel *m = model();
    const auto notice = [this] {
        m_historyNotice.start();
    };
    connect(m, &QAbstractItemModel::rowsInserted, this, notice);
    connect(m, &QAbstractItemModel::rowsRemoved, this, notice);
    connect(m, &QAbstractItemModel::rowsMoved, this, notice);
    connect(m, &QAbstractItemModel::modelReset, this, notice);
    connect(m, &QAbstractItemModel::dataChanged, this, notice);
    connect(CClipboardManager::instance(), &CClipboardManager::sigPausedChanged, m_service,
            &CBusService::notifyPausedChanged);
}

CScriptingControl::~CScriptingControl() = default;

bool CScriptingControl::publish(const QString &app_id)
{
    return m_service->publish(BusAddress::FromAppId(app_id));
}

CCilpboardListModel *CScriptingControl::model() const
{
    return CClipboardManager::instance()->clipboardModel();
}

bool CScriptingControl::checkIndex(int index, BusError *error) const
{
    if (index >= 0 && index < itemCount())
        return true;
    error->set(BusErrors::kNoSuchItem,
               QStringLiteral("no item %1: the history holds %2 items, numbered from 0")
                   .arg(index)
                   .arg(itemCount()));
    return false;
}

void CScriptingControl::setMainWindowVisibility(Visibility v)
{
    QQuickWindow *window = m_windows.main ? m_windows.main() : nullptr;
    const bool visible =
        window && window->isVisible() && window->visibility() != QWindow::Minimized;
    // The main window shows and hides itself on this request (the hot key's).
    if (v == Visibility::Toggle || (v == Visibility::Show) != visible)
        emit CQmlHelper::instance()->sigShowMainWnd();
}

void CScriptingControl::showQuickPaste(bool pin)
{
    if (m_windows.quickPaste)
        m_windows.quickPaste(pin);
}

int CScriptingControl::itemCount() const
{
    return model()->rowCount();
}

QList<BusItemRow> CScriptingControl::listItems(int first, int count, BusError *error)
{
    if (first < 0 || count < 0) {
        error->set(BusErrors::kInvalidArgs,
                   QStringLiteral("first and count must not be negative (got %1, %2)")
                       .arg(first)
                       .arg(count));
        return {};
    }
    QList<BusItemRow> rows;
    const int end = int(qMin<qint64>(qint64(first) + count, itemCount()));
    for (int i = first; i < end; ++i) {
        const CBData &item = model()->item(i);
        BusItemRow row;
        row.index = i;
        row.type = TypeName(item.type);
        row.preview = TextHelpers::OneLinePreview(item.plain.toString(), kPreviewChars);
        row.md5 = item.md5;
        rows << row;
    }
    return rows;
}

QString CScriptingControl::itemText(int index, BusError *error)
{
    if (!checkIndex(index, error))
        return {};
    if (model()->getType(index) == CQmlTypes::Image) {
        error->set(BusErrors::kWrongType,
                   QStringLiteral("item %1 is an image: ask for its picture").arg(index));
        return {};
    }
    return model()->getPlain(index);
}

bool CScriptingControl::checkType(int index, int type, BusError *error) const
{
    if (!checkIndex(index, error))
        return false;
    if (model()->getType(index) == type)
        return true;
    error->set(BusErrors::kWrongType, QStringLiteral("item %1 is %2, not %3")
                                          .arg(index)
                                          .arg(TypeName(model()->getType(index)), TypeName(type)));
    return false;
}

QString CScriptingControl::itemHtml(int index, BusError *error)
{
    return checkType(index, CQmlTypes::Html, error) ? model()->getVal(index).toString() : QString();
}

QStringList CScriptingControl::itemUrls(int index, BusError *error)
{
    if (!checkType(index, CQmlTypes::Urls, error))
        return {};
    QStringList out;
    for (const QUrl &url : CQmlHelper::toUrlList(model()->getVal(index)))
        out << url.toString(QUrl::FullyEncoded);
    return out;
}

QByteArray CScriptingControl::itemImage(int index, BusError *error)
{
    if (!checkType(index, CQmlTypes::Image, error))
        return {};
    // Captures still being stored would leave the file incomplete.
    CClipboardManager::instance()->finishPendingWork();
    QFile file(StoragePaths::ImgPath(model()->getVal(index).toString()));
    if (!file.open(QIODevice::ReadOnly)) {
        error->set(BusErrors::kFailed, QStringLiteral("the picture of item %1 cannot be read: %2")
                                           .arg(index)
                                           .arg(file.errorString()));
        return {};
    }
    if (file.size() > kMaxImageBytes) {
        error->set(BusErrors::kTooLarge,
                   QStringLiteral("the picture of item %1 is too large to send").arg(index));
        return {};
    }
    return file.readAll();
}

void CScriptingControl::copyItem(int index, BusError *error)
{
    if (!checkIndex(index, error))
        return;
    // The top row may not be what the clipboard holds (a copy that was not kept came after).
    if (index == 0)
        CClipboardManager::instance()->syncModel2Clipboard();
    else
        model()->moveRow2Top(index, true);
}

void CScriptingControl::pasteItem(int index, BusError *error)
{
    if (checkIndex(index, error))
        QuickPaste::Paste(model(), index);
}

QString CScriptingControl::addText(const QString &text, BusError *error)
{
    if (isPaused()) {
        error->set(BusErrors::kPaused, QStringLiteral("capture is paused: nothing is stored"));
        return {};
    }
    if (text.size() > ItemLimits::kMaxTextLength) {
        error->set(BusErrors::kTooLarge, QStringLiteral("a text of %1 characters is over the "
                                                        "limit of %2")
                                             .arg(text.size())
                                             .arg(ItemLimits::kMaxTextLength));
        return {};
    }
    if (text.isEmpty()) {
        error->set(BusErrors::kInvalidArgs, QStringLiteral("an empty text is not kept"));
        return {};
    }
    const QString md5 = CClipboardManager::instance()->addText(text);
    if (md5.isEmpty())
        error->set(BusErrors::kFailed, QStringLiteral("the text was not kept"));
    return md5;
}

void CScriptingControl::deleteItem(int index, BusError *error)
{
    if (!checkIndex(index, error))
        return;
    model()->removeItem(index);
    // The removed row was the clipboard's content: the clipboard follows the list.
    if (index == 0)
        CClipboardManager::instance()->syncModel2Clipboard();
}

void CScriptingControl::clearHistory(BusError *)
{
    model()->resetModelData();
}

void CScriptingControl::setPaused(bool paused)
{
    CClipboardManager::instance()->setPaused(paused);
}

bool CScriptingControl::isPaused() const
{
    return CClipboardManager::instance()->isPaused();
}
