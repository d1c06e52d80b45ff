#pragma once

#include <QColor>
#include <QObject>
#include <QUrl>
#include <QVariant>

class CCilpboardListModel;
class QQuickItem;

// The user interface's toolbox and message hub (m_utilities): text and colour helpers,
// file helpers, clipboard actions and the signals the views and services talk through.
class CQmlHelper : public QObject
{
    Q_OBJECT
public:
    static CQmlHelper *instance();

    Q_INVOKABLE QString getHex(const QColor &c) const;
    Q_INVOKABLE QString getRGB(const QColor &c) const;
    Q_INVOKABLE QString getHSV(const QColor &c) const;
    Q_INVOKABLE QString getHSL(const QColor &c) const;
    Q_INVOKABLE QString getCMYK(const QColor &c) const;
    Q_INVOKABLE QString getName(const QColor &c) const;
    // The first line's worth of a text, white space folded.
    Q_INVOKABLE QString simplified(const QString &plain) const;
    Q_INVOKABLE QString convertHtml2Plain(const QString &html) const;
    Q_INVOKABLE QString getTextHead(const QString &text, bool is_html) const;
    // A shown text as styled text with the search key's matches marked (MatchMarks).
    Q_INVOKABLE QString markMatches(const QString &text, const QString &key, const QColor &color,
                                    int lead) const;
    Q_INVOKABLE QString getFileName(const QString &path) const;
    Q_INVOKABLE QString decodeLocalFileUrl(const QUrl &p) const;
    Q_INVOKABLE bool isUrlExists(const QUrl &p) const;
    Q_INVOKABLE bool isWebUrl(const QString &text) const;
    Q_INVOKABLE bool isEmailUrl(const QString &text) const;
    Q_INVOKABLE QColor isColor(const QString &text) const;
    Q_INVOKABLE bool isRichText(const QString &text) const;
    Q_INVOKABLE bool isSinglePixUrl(const QVariant &v) const;
    Q_INVOKABLE void copyImgFromUrl(CCilpboardListModel *m, int index);
    Q_INVOKABLE bool revealInExplorer(const QVariant &var);
    // A window just shown is mapped while the caller goes on; see COSAbstract.
    Q_INVOKABLE void sendWindowRequests() const;
    Q_INVOKABLE bool revealInExplorerFromPin(int index);
    Q_INVOKABLE void openWithDefFromPin(int index);
    Q_INVOKABLE bool quicklook(const QString &app_path, const QString &args);
    Q_INVOKABLE QString getPortableTextFromKey(int key) const;
    Q_INVOKABLE QString getSavingPath(const QString &file_name);
    // Where the save dialog starts: the name (without any folders a host put in it) in
    // the user's Downloads folder.
    static QString defaultSavingPath(const QString &file_name);
    Q_INVOKABLE void moveDownloadedFile(const QString &ip, const QString &file_name,
                                        const QString &path_des);
    // The quick paste sequence (clipboard/quick_paste.h) for the interface.
    Q_INVOKABLE void pasteFromQuickPaste(CCilpboardListModel *model, int index);
    Q_INVOKABLE bool quickPasteWritesBeforeHide() const;
    Q_INVOKABLE bool writeWhileFocused(CCilpboardListModel *model, int index);
    Q_INVOKABLE void pasteWrittenItem();
    Q_INVOKABLE void copyPlainText(const QString &text);
    // Text marked as a password manager marks it, so that no clipboard history (this
    // one's included) keeps it.
    Q_INVOKABLE void copySecretText(const QString &text);
    Q_INVOKABLE void copyHtml(const QString &text);
    Q_INVOKABLE void qpWndAbout2Show() {}
    Q_INVOKABLE void cleanEngineCache(QObject *obj);

    QString getImgPath(const QString &md5) const;

    // Reads a URL list out of whatever the caller holds: a URL list, a JS array, a string.
    static QList<QUrl> toUrlList(const QVariant &v);
    // The first file of the Pin folder named after that Pin-list row's key, or empty.
    static QString pinFolderFile(int pin_index);

signals:
    void sigShowDetails(CCilpboardListModel *m, int index);
    void sigClearDetails();
    void sigActivateItem(CCilpboardListModel *m, int index);
    void sigModelRowCountChanged(CCilpboardListModel *m);
    void sigDetailsTextPlain2Html(bool is_plain_to_html);
    void sigDetailsPicRotate(QQuickItem *btn);
    void sigGotoFirstIndex4Main();
    void sigShowToast4Main(const QString &msg);
    void sigShowMainWnd();
    void sigShowQuickPaste();
    void sigRestart();
    void sigSetGlobalShortcutEnable(bool enable);
    void sigUpdateModelMaxCount(int sz);
    void sigUpdateTrayIconStatus();
    void sigShowTextViaTray(const QString &text);
    void sigDownloadFile(const QString &ip, const QString &file_path);

private:
    CQmlHelper() = default;
};
