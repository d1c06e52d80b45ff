#pragma once

#include <QColor>
#include <QObject>
#include <QUrl>

// Read-only values the user interface needs (m_const): window geometry, accent colours,
// in-window shortcut texts, link targets, the previewer's path; plus the two visibility
// flags the windows publish. Computed once, on first use.
class CConstants : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isWin MEMBER m_isWin CONSTANT)
    Q_PROPERTY(bool isUWP MEMBER m_isUWP CONSTANT)
    Q_PROPERTY(bool isDark MEMBER m_isDark CONSTANT)
    Q_PROPERTY(int theme MEMBER m_theme CONSTANT)
    Q_PROPERTY(bool isChina MEMBER m_isChina CONSTANT)
    Q_PROPERTY(QString app_name MEMBER m_appName CONSTANT)
    Q_PROPERTY(QString app_ver MEMBER m_appVer CONSTANT)
    Q_PROPERTY(QString peekora_path MEMBER m_peekoraPath CONSTANT)
    // The previewer's own name, its file's name without extension, for "Open with ...".
    Q_PROPERTY(QString peekora_name MEMBER m_peekoraName CONSTANT)
    Q_PROPERTY(int shadow_len MEMBER m_shadowLen CONSTANT)
    Q_PROPERTY(int wnd_radius MEMBER m_wndRadius CONSTANT)
    Q_PROPERTY(int title_height MEMBER m_titleHeight CONSTANT)
    Q_PROPERTY(int wnd_min_width MEMBER m_wndMinWidth CONSTANT)
    Q_PROPERTY(int wnd_min_height MEMBER m_wndMinHeight CONSTANT)
    Q_PROPERTY(int main_list_left_padding MEMBER m_mainListLeftPadding CONSTANT)
    Q_PROPERTY(QColor color_accent_dark MEMBER m_colorAccentDark CONSTANT)
    Q_PROPERTY(QColor color_background_dark MEMBER m_colorBackgroundDark CONSTANT)
    Q_PROPERTY(QUrl url_report_bug MEMBER m_urlReportBug CONSTANT)
    Q_PROPERTY(QUrl url_home MEMBER m_urlHome CONSTANT)
    Q_PROPERTY(QUrl url_emial_addr MEMBER m_urlEmailAddr CONSTANT)
    Q_PROPERTY(QUrl url_twitter MEMBER m_urlTwitter CONSTANT)
    Q_PROPERTY(QUrl url_designer MEMBER m_urlDesigner CONSTANT)
    Q_PROPERTY(QString sc_switch2pin MEMBER m_scSwitch2pin CONSTANT)
    Q_PROPERTY(QString sc_switch2cb MEMBER m_scSwitch2cb CONSTANT)
    Q_PROPERTY(QString sc_pin_item_enter MEMBER m_scPinItemEnter CONSTANT)
    Q_PROPERTY(QString sc_pin_item_return MEMBER m_scPinItemReturn CONSTANT)
    Q_PROPERTY(QString sc_activate_item MEMBER m_scActivateItem CONSTANT)
    Q_PROPERTY(QString sc_del_item MEMBER m_scDelItem CONSTANT)
    Q_PROPERTY(QString sc_rm_model_data MEMBER m_scRmModelData CONSTANT)
    Q_PROPERTY(QString sc_connector MEMBER m_scConnector CONSTANT)
    Q_PROPERTY(bool main_wnd_visible READ mainWndVisible WRITE setMainWndVisible NOTIFY
                   main_wnd_visibleChanged)
    Q_PROPERTY(
        bool qp_wnd_visible READ qpWndVisible WRITE setQpWndVisible NOTIFY qp_wnd_visibleChanged)
public:
    // Reads the settings now; the program uses the one instance(), tests build their own.
    explicit CConstants(QObject *parent = nullptr);
    static CConstants *instance();

    bool isDark() const { return m_isDark; }
    bool isChina() const { return m_isChina; }
    int shadowLen() const { return m_shadowLen; }
    QString peekoraPath() const { return m_peekoraPath; }
    QUrl urlTwitter() const { return m_urlTwitter; }

    bool mainWndVisible() const { return m_mainWndVisible; }
    void setMainWndVisible(bool v);
    bool qpWndVisible() const { return m_qpWndVisible; }
    void setQpWndVisible(bool v);

    // The previewer: a running one wins over the path its settings record.
    static QString findPeekoraPath();

signals:
    void main_wnd_visibleChanged();
    void qp_wnd_visibleChanged();

private:
    // isWin selects the frameless desktop interface, which the Linux build uses too.
    bool m_isWin = true;
    bool m_isUWP = false;
    bool m_isDark = false;
    int m_theme = 0;
    bool m_isChina = false;
    QString m_appName;
    QString m_appVer;
    QString m_peekoraPath;
    QString m_peekoraName;
    int m_shadowLen = 25;
    int m_wndRadius = 4;
    int m_titleHeight = 52;
    int m_wndMinWidth = 675;
    int m_wndMinHeight = 505;
    int m_mainListLeftPadding = 16;
    QColor m_colorAccentDark{QStringLiteral("#f85658")};
    QColor m_colorBackgroundDark{QStringLiteral("#222222")};
    QUrl m_urlReportBug{QStringLiteral("https://tolvane.example.org/issues")};
    QUrl m_urlHome{QStringLiteral("https://tolvane.example.org/")};
    QUrl m_urlEmailAddr{QStringLiteral("mailto:hello@tolvane.example.org")};
    QUrl m_urlTwitter;
    QUrl m_urlDesigner{QStringLiteral("https://design.example.org/tolvane")};
    QString m_scSwitch2pin = QStringLiteral("Right");
    QString m_scSwitch2cb = QStringLiteral("Left");
    QString m_scPinItemEnter = QStringLiteral("Enter");
    QString m_scPinItemReturn = QStringLiteral("Return");
    QString m_scActivateItem = QStringLiteral("Space");
    QString m_scDelItem = QStringLiteral("Ctrl+D");
    QString m_scRmModelData = QStringLiteral("Ctrl+Shift+D");
    QString m_scConnector = QStringLiteral("Ctrl+N");
    bool m_mainWndVisible = false;
    bool m_qpWndVisible = false;
};
