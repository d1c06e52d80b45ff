#include "clipboard/qml_helper.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/match_marks.h"
#include "item/clipboard_logging.h"
#include "item/storage_paths.h"
#include "item/text_helpers.h"
#include "os/os_abstract.h"
#include "os/process_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeySequence>
#include <QProcess>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTextDocument>

CQmlHelper *CQmlHelper::instance()
{
    static CQmlHelper *inst = ProcessServices::Adopt(new CQmlHelper);
    return inst;
}

QString CQmlHelper::getHex(const QColor &c) const
{
    return TextHelpers::HexNotation(c);
}

QString CQmlHelper::getRGB(const QColor &c) const
{
    return TextHelpers::RgbNotation(c);
}

QString CQmlHelper::getHSV(const QColor &c) const
{
    return TextHelpers::HsvNotation(c);
}

QString CQmlHelper::getHSL(const QColor &c) const
{
    return TextHelpers::HslNotation(c);
}

QString CQmlHelper::getCMYK(const QColor &c) const
{
    return TextHelpers::CmykNotation(c);
}

QString CQmlHelper::getName(const QColor &c) const
{
    return TextHelpers::SvgColorName(c);
}

QString CQmlHelper::simplified(const QString &plain) const
{
    // A row shows one line; the beginning of a long text is all it can show.
    return plain.left(CCilpboardListModel::kRowChars).simplified();
}

QString CQmlHelper::convertHtml2Plain(const QString &html) const
{
    return TextHelpers::HtmlToPlain(html);
}

QString CQmlHelper::getTextHead(const QString &text, bool is_html) const
{
    return TextHelpers::TextHead(text, is_html);
}

QString CQmlHelper::markMatches(const QString &text, const QString &key, const QColor &color,
                                int lead) const
{
    return MatchMarks::Styled(text, key, color, lead);
}

QString CQmlHelper::getFileName(const QString &path) const
{
    return QFileInfo(path).fileName();
}

QString CQmlHelper::decodeLocalFileUrl(const QUrl &p) const
{
    return TextHelpers::DecodeLocalFileUrl(p);
}

bool CQmlHelper::isUrlExists(const QUrl &p) const
{
    if (!p.isLocalFile())
        return true;
    return QFileInfo::exists(p.toLocalFile());
}

bool CQmlHelper::isWebUrl(const QString &text) const
{
    return TextHelpers::IsWebUrl(text);
}

bool CQmlHelper::isEmailUrl(const QString &text) const
{
    return TextHelpers::IsEmailUrl(text);
}

QColor CQmlHelper::isColor(const QString &text) const
{
    return TextHelpers::ColorFromText(text);
}

bool CQmlHelper::isRichText(const QString &text) const
{
    return Qt::mightBeRichText(text);
}

QList<QUrl> CQmlHelper::toUrlList(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<QList<QUrl>>())
        return v.value<QList<QUrl>>();
    if (v.userType() == QMetaType::QUrl)
        return {v.toUrl()};
    QList<QUrl> urls;
    if (v.canConvert<QVariantList>()) {
        const QVariantList list = v.toList();
        for (const QVariant &e : list)
            urls << (e.userType() == QMetaType::QUrl ? e.toUrl() : QUrl(e.toString()));
    }
    return urls;
}

bool CQmlHelper::isSinglePixUrl(const QVariant &v) const
{
    const QList<QUrl> urls = toUrlList(v);
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return false;
    QImageReader reader(urls.first().toLocalFile());
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return false;
    reader.setScaledSize(QSize(1, 1));
    return !reader.read().isNull();
}

bool CQmlHelper::revealInExplorer(const QVariant &var)
{
    QList<QUrl> urls;
    if (var.userType() == QMetaType::QString)
        urls << QUrl::fromLocalFile(var.toString());
    else
        urls = toUrlList(var);
    if (urls.isEmpty()) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << var;
        return false;
    }
    return OsInstance()->RevealInFileManager(urls);
}

void CQmlHelper::sendWindowRequests() const
{
    OsInstance()->sendWindowRequests();
}

QString CQmlHelper::pinFolderFile(int pin_index)
{
    CCilpboardListModel *pin = CClipboardManager::instance()->pinModel();
    if (pin_index < 0 || pin_index >= pin->rowCount())
        return QString();
    const QString md5 = pin->getMd5(pin_index);
    if (!StoragePaths::IsMd5Key(md5))
        return QString();
    const QDir dir(StoragePaths::PinDir());
    const QStringList hits = dir.entryList({md5 + QStringLiteral(".*")}, QDir::Files);
    return hits.isEmpty() ? QString() : dir.filePath(hits.first());
}

bool CQmlHelper::revealInExplorerFromPin(int index)
{
    const QString file = pinFolderFile(index);
    QVariantList urls;
    if (!file.isEmpty())
        urls << QUrl::fromLocalFile(file);
    return revealInExplorer(urls);
}

void CQmlHelper::openWithDefFromPin(int index)
{
    const QString file = pinFolderFile(index);
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool CQmlHelper::quicklook(const QString &app_path, const QString &args)
{
    // Arguments go as one argument vector entry: no shell, no quoting pitfalls.
    return QProcess::startDetached(app_path, {args});
}

QString CQmlHelper::getPortableTextFromKey(int key) const
{
    switch (key) {
    case Qt::Key_Shift:
        return QStringLiteral("Shift");
    case Qt::Key_Control:
        return QStringLiteral("Ctrl");
    case Qt::Key_Meta:
        return QStringLiteral("Meta");
    case Qt::Key_Alt:
        return QStringLiteral("Alt");
    default:
        return QKeySequence(key).toString(QKeySequence::PortableText);
    }
}

QString CQmlHelper::defaultSavingPath(const QString &file_name)
{
    QString name = QFileInfo(file_name).fileName();
    if (name == QLatin1String("..") || name == QLatin1String("."))
        name.clear();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).filePath(name);
}

QString CQmlHelper::getSavingPath(const QString &file_name)
{
    return QFileDialog::getSaveFileName(
        nullptr, QCoreApplication::translate("Global", "Please choose a url"),
        defaultSavingPath(file_name));
}

void CQmlHelper::moveDownloadedFile(const QString &ip, const QString &file_name,
                                    const QString &path_des)
{
    // Only a plain name inside the host's folder; never a path that leaves it.
    const bool plain_name = !file_name.isEmpty() && !file_name.contains(QLatin1Char('/')) &&
                            file_name != QLatin1String("..") && file_name != QLatin1String(".");
    const QString src = StoragePaths::RemoteImgDir(ip) + file_name;
    if (!plain_name || !QFileInfo::exists(src)) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "no such download" << src;
        return;
    }
    qCDebug(lcClipboard) << src << file_name << path_des;
    OsInstance()->MoveFileWithUndo(src, path_des);
}

void CQmlHelper::cleanEngineCache(QObject *obj)
{
    if (QQmlEngine *engine = obj ? qmlEngine(obj) : nullptr)
        engine->trimComponentCache();
}

QString CQmlHelper::getImgPath(const QString &md5) const
{
    return StoragePaths::ImgPath(md5);
}
