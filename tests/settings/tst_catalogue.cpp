// The Chinese catalogue against the sources: every text that the code or the QML marks for
// translation must be in it, finished, in Chinese. The sources are read by lupdate through
// the same script that updates the catalogue.
#include "isolated_env.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {
struct Entry
{
    QString translation;
    QString type; // "", "unfinished", "vanished" or "obsolete"
};
using Catalogue = QMap<QPair<QString, QString>, Entry>; // (context, source) → entry

Catalogue ReadTs(const QString &path)
{
    Catalogue out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&file);
    QString context, source;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            entry.type = xml.attributes().value("type").toString();
            entry.translation = xml.readElementText();
            out.insert({context, source}, entry);
        }
    }
    return out;
}

bool IsLive(const Entry &e)
{
    return e.type != QLatin1String("vanished") && e.type != QLatin1String("obsolete");
}

QStringList Placeholders(const QString &text)
{
    QStringList found;
    auto it = QRegularExpression("%\\d").globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    found.sort();
    return found;
}
} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private:
    Catalogue m_catalogue;
    Catalogue m_sources;

private slots:
    void initTestCase()
    {
        m_catalogue = ReadTs(QStringLiteral(TOLVANE_SOURCE_DIR "/res/i18n/zh_CN.ts"));
        QVERIFY(!m_catalogue.isEmpty());

        QTemporaryDir dir;
        QProcess lupdate;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUPDATE", TOLVANE_LUPDATE);
        lupdate.setProcessEnvironment(env);
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(TOLVANE_SOURCE_DIR "/tools/update_translations.sh",
                      {dir.filePath("sources.ts")});
        QVERIFY(lupdate.waitForFinished(60000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAll().constData());
        m_sources = ReadTs(dir.filePath("sources.ts"));
        QVERIFY(m_sources.size() > 50);
    }

    // A text added to the code or the QML without its translation fails here, by name.
    void everySourceTextIsTranslated()
    {
        QStringList missing, unfinished;
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it) {
            const QString where = it.key().first + " / \"" + it.key().second + "\"";
            const auto found = m_catalogue.constFind(it.key());
            if (found == m_catalogue.cend())
                missing << where;
            else if (!IsLive(*found) || found->type == "unfinished" ||
                     found->translation.trimmed().isEmpty())
                unfinished << where;
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable("not in the catalogue (run tools/update_translations.sh and "
                            "translate):\n  " + missing.join("\n  ")));
        QVERIFY2(unfinished.isEmpty(),
                 qPrintable("unfinished in the catalogue:\n  " + unfinished.join("\n  ")));
    }

    // No English left: every translation has Chinese in it and keeps the placeholders and
    // the trailing blanks its source has.
    void translationsAreChinese()
    {
        const QRegularExpression han("[\\x{4e00}-\\x{9fff}]");
        QStringList wrong;
        for (auto it = m_catalogue.cbegin(); it != m_catalogue.cend(); ++it) {
            const QString &source = it.key().second;
            const QString &tr = it->translation;
            if (it->type == "unfinished")
                wrong << it.key().first + " / " + source + ": unfinished";
            else if (!tr.contains(han))
                wrong << it.key().first + " / " + source + ": no Chinese in \"" + tr + "\"";
            else if (Placeholders(tr) != Placeholders(source))
                wrong << it.key().first + " / " + source + ": placeholders differ";
            else if (source.endsWith(' ') != tr.endsWith(' '))
                wrong << it.key().first + " / " + source + ": trailing blank differs";
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join('\n')));
    }

    // The texts of the tray, the balloons and the first-run usage text, word for word.
    void theNativeContextsHoldTheirTable()
    {
        const QList<QStringList> table = {
            {"Global", "About", "关于"},
            {"Global", "Cancel", "取消"},
            {"Global", "Connection", "连接"},
            {"Global", "OK", "确定"},
            {"Global", "Preferences", "设置"},
            {"Global", "Quit", "退出"},
            {"Global", "Report a bug...", "提交 bug..."},
            {"Global", "Search", "查找"},
            {"Global", "Search pinned", "查找 pinned"},
            {"Global", "Show clipboard", "显示剪贴板窗口"},
            {"Global", "Show quick paste", "显示快速粘贴窗口"},
            {"Usage", "Usage:", "帮助："},
            {"Usage", "Clipboard View", "剪贴板视图"},
            {"Usage", "Try pressing \"Ctrl+Alt+C\" to activate main window.",
             "主窗口可通过快捷键 Ctrl+Alt+C 激活。"},
            {"Usage", "Tolvane will monitor all your clipboard data",
             "Tolvane 会获取所有的剪贴板数据"},
            {"Usage", "List item can be dragged out to other application",
             "列表项可被拖到其他程序中，图片或者文件被拖到桌面或者文件夹"},
            {"Usage", "Once you pinned a item, it will stay in Pin view",
             "点击 Pin 按钮后，列表项会被添加到 Pin 视图"},
            {"Usage",
             "By pressing the \"Left\"/\"Right\" arrow keys you can switch between Clipboard "
             "and Pin view",
             "通过左右方向键切换主视图和 Pin 视图"},
            {"Usage",
             "Anything you change in the Preview Panel, e.g. text selection and image "
             "rotation, will be saved",
             "你在列表旁的详情面板中做的操作，比如文本选择和图片旋转，会被记录下来"},
            {"Usage", "Quick paste View", "快速预览视图"},
            {"Usage", "Quick paste window can be activated by pressing \"Ctrl+Alt+V\" by default",
             "快速预览窗口默认通过 Ctrl+Alt+V 激活"},
            {"Usage",
             "Pressing \"Enter\" (or double click) can paste the selected item to the active "
             "window",
             "可通过双击或者回车键将快速粘贴视图中的选中项粘贴到下一个窗口"},
            {"Usage", "Pressing \"Ctrl+F\" or \"Tab\" can switch focus to search input",
             "Ctrl+F 和 Tab 键可在搜索栏和列表项之间切换"},
            {"Usage", "Connection", "连接"},
            {"Usage", "Tolvane can communicate with remote computer",
             "Tolvane 可以和其他装有 Tolvane 的电脑进行共享数据"},
            {"Usage", "Local", "本地"},
            {"Usage", "Send your ip address to your remote computers",
             "发送你的 IP 地址给需要连接的机器"},
            {"Usage",
             "If your IP address requires a password you will need to enter that as well",
             "如果你设置了密码，你还需要将该密码给远端机器"},
            {"Usage", "Remote", "远端"},
            {"Usage", "Setup the ip address and password", "填好你需要连接的远端机器的地址和密码"},
            {"Usage", "Click \"Connect\" which was displayed as a \"Paper Plane\"",
             "点击“连接”按钮"},
            {"Usage", "You can find me in \"About\" page.",
             "你可以在“关于”页面中找到我的联系方式。"},
        };
        for (const QStringList &row : table) {
            const auto found = m_catalogue.constFind({row.at(0), row.at(1)});
            QVERIFY2(found != m_catalogue.cend(), qPrintable(row.at(1)));
            QCOMPARE(found->translation, row.at(2));
        }
    }

    // The compiled catalogue is in the resources where the program looks for it.
    void theCompiledCatalogueTranslates()
    {
        QTranslator translator;
        QVERIFY(translator.load("://qm/zh_CN.qm"));
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it) {
            const QByteArray context = it.key().first.toUtf8();
            const QByteArray source = it.key().second.toUtf8();
            QCOMPARE(translator.translate(context.constData(), source.constData()), m_catalogue.value(it.key()).translation);
        }
    }
};

TOLVANE_TEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
