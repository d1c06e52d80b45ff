// The details panel on the X server, one screenshot per kind of page, saved as
// test-artifacts/details-*.png for a person to look at. Each also checks what its picture
// must show.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "os/scene_graph_choice.h"
#include "qml_registration.h"
#include "qt_warning_log.h"

#include <QDir>
#include <QMimeData>
#include <QPainter>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>

namespace {
constexpr int kSettleMs = 500; // longer than the panel's animations

// A landscape picture whose top is plain to see: a red band along its upper edge.
QImage OrientationPicture()
{
    QImage image(400, 240, QImage::Format_RGB32);
    image.fill(QColor("#cfe8fc"));
    QPainter p(&image);
    p.fillRect(0, 0, 400, 40, Qt::red);
    QFont font;
    font.setPixelSize(48);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor("#1a3d5c"));
    p.drawText(QRect(0, 40, 400, 200), Qt::AlignCenter, QStringLiteral("TOP ↑"));
    return image;
}

// Searches the visual tree: list rows are items of their view, not its QObject children.
QQuickItem *FindItem(QQuickItem *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    const QList<QQuickItem *> children = root->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = FindItem(child, name))
            return found;
    }
    return nullptr;
}

bool IsRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
} // namespace

class TestUiDetails : public QObject
{
    Q_OBJECT
private:
    CMain m_controller;
    QScopedPointer<QQmlApplicationEngine> m_engine;
    QQuickWindow *m_window = nullptr;
    QQuickItem *m_details = nullptr;
    QTemporaryDir m_files;

    static CCilpboardListModel *model() { return CClipboardManager::instance()->clipboardModel(); }

    // Captures the contents as the clipboard manager would; the new item is row 0.
    static QString add(QMimeData *mime)
    {
        const CBData item = GetCBDataFromMime(mime);
        delete mime;
        model()->prependItem(item);
        return item.md5;
    }

    void show(const QString &md5)
    {
        QVERIFY(QMetaObject::invokeMethod(m_details, "load",
                                          Q_ARG(QVariant, QVariant::fromValue<QObject *>(model())),
                                          Q_ARG(QVariant, model()->indexOfMD5(md5))));
        QTest::qWait(kSettleMs);
    }

    QObject *page() const
    {
        return m_details->findChild<QObject *>("loaded_details")
            ->property("item")
            .value<QObject *>();
    }

    QQuickItem *find(const QString &name) const
    {
        QQuickItem *found = FindItem(m_details, name);
        if (!found)
            qFatal("no item %s", qPrintable(name));
        return found;
    }

    QImage shot(const QString &name)
    {
        const QImage image = m_window->grabWindow();
        const QString dir = QStringLiteral(TOLVANE_ARTIFACT_DIR);
        QDir().mkpath(dir);
        const QString path = dir + "/details-" + name + ".png";
        if (!image.save(path))
            qWarning() << "cannot save" << path;
        return image;
    }

    QString file(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_files.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }

private slots:
    void initTestCase()
    {
        QQuickStyle::setStyle(QStringLiteral("Material"));
        SceneGraphChoice::ChooseBeforeFirstWindow();
        RegisterQmlTypes();
        QtWarningLog::instance()->listenNow();
        m_engine.reset(new QQmlApplicationEngine);
        QtWarningLog::instance()->watch(m_engine.get());
        m_controller.SetupContext(m_engine->rootContext());
        m_engine->load(QUrl::fromLocalFile(QStringLiteral(DETAILS_WINDOW_QML)));
        QVERIFY(!m_engine->rootObjects().isEmpty());
        m_window = qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_details = m_window->findChild<QQuickItem *>("details_wnd");
        QVERIFY(m_details);
    }

    // Whatever a page did, neither QML nor Qt printed a warning.
    void cleanup()
    {
        const QStringList warnings = QtWarningLog::instance()->take();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void plainTextWithSelection()
    {
        QString text;
        for (int i = 1; i <= 12; ++i)
            text += QStringLiteral("Paragraph %1: the quick brown fox jumps over the lazy dog, "
                                   "and the details panel wraps long lines at word "
                                   "boundaries.\n")
                        .arg(i);
        auto *mime = new QMimeData;
        mime->setText(text);
        const QString md5 = add(mime);
        model()->updateSelection(md5, "13_44_44");
        show(md5);
        QCOMPARE(page()->property("is_rich_text").toBool(), false);
        QQuickItem *area = find("text_area");
        QCOMPARE(area->property("selectedText").toString(), text.mid(13, 31));
        shot("text");
    }

    void richText()
    {
        auto *mime = new QMimeData;
        mime->setHtml("<html><body><h2>Release notes</h2>"
                      "<p>This build brings <b>linked hosts</b>, <i>pinned favourites</i> and a "
                      "<a href=\"https://example.org/notes\">full list of changes</a>.</p>"
                      "<ul><li>Faster search</li><li>Dark theme</li><li>Rotating images</li></ul>"
                      "<table border=\"1\" cellpadding=\"4\"><tr><th>Key</th><th>Action</th></tr>"
                      "<tr><td>Ctrl+D</td><td>Delete item</td></tr>"
                      "<tr><td>Space</td><td>Copy item</td></tr></table>"
                      "<pre style=\"color:#555\">code sample()</pre></body></html>");
        mime->setText("Release notes");
        show(add(mime));
        QCOMPARE(page()->property("is_rich_text").toBool(), true);
        QVERIFY(find("text_area")->property("text").toString().contains("Release notes"));
        shot("rich-text");
    }

    void imageTurnedOnce()
    {
        auto *mime = new QMimeData;
        mime->setImageData(OrientationPicture());
        const QString md5 = add(mime);
        show(md5);
        auto *btn = m_window->findChild<QQuickItem *>("rotate_btn");
        QVERIFY(btn);
        btn->setVisible(true);
        emit CQmlHelper::instance()->sigDetailsPicRotate(btn);
        const QPointF centre = btn->mapToScene(QPointF(btn->width() / 2, btn->height() / 2));
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
        QQuickItem *img = find("details_img");
        QTRY_COMPARE(img->rotation(), 90.0);
        QTest::qWait(kSettleMs);
        QVERIFY(btn->property("checked").toBool());
        const QImage image = shot("image-rotated");
        btn->setVisible(false);

        // Turned clockwise and fitted: the red top is now the right edge, and the whole
        // picture is inside the panel.
        const qreal turned_w = img->property("paintedHeight").toReal() * img->scale();
        const qreal turned_h = img->property("paintedWidth").toReal() * img->scale();
        QVERIFY(turned_w <= img->width() + 1 && turned_h <= img->height() + 1);
        const QPointF mid = img->mapToScene(QPointF(img->width() / 2, img->height() / 2));
        const int y = qRound(mid.y());
        QVERIFY(IsRed(image.pixel(qRound(mid.x() + turned_w / 2 - 6), y)));
        QVERIFY(!IsRed(image.pixel(qRound(mid.x() - turned_w / 2 + 6), y)));
        QVERIFY(!IsRed(image.pixel(qRound(mid.x()), qRound(mid.y() - turned_h / 2 + 6))));

        QMetaObject::invokeMethod(m_details, "clear");
        QCOMPARE(model()->getSelection(model()->indexOfMD5(md5)), QString("90"));
    }

    void namedColour()
    {
        auto *mime = new QMimeData;
        mime->setText("#ff8c00");
        show(add(mime));
        const QStringList lines = find("color_notations")->property("text").toString().split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.last(), QString("darkorange"));
        const QImage image = shot("color");
        const QPoint corner = find("loaded_details")->mapToScene(QPointF(4, 4)).toPoint();
        QCOMPARE(QColor(image.pixel(corner)), QColor("#ff8c00"));
    }

    void filesWithOneMissing()
    {
        const QString txt = file("meeting notes.txt", "agenda\n");
        const QString folder = m_files.filePath("photos");
        QDir().mkpath(folder);
        const QString pdf = file("report.pdf", "%PDF-1.4\n");
        const QString png = file("holiday.png", QByteArray());
        OrientationPicture().save(png);
        auto *mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(txt), QUrl::fromLocalFile(folder),
                       QUrl::fromLocalFile(pdf), QUrl::fromLocalFile(png)});
        const QString md5 = add(mime);
        QVERIFY(QFile::remove(pdf));
        // A stored selection in the third row, as left there earlier.
        model()->updateSelection(md5, "2_0_6_6_0");
        show(md5);

        QObject *rows = page()->property("model_urls").value<QObject *>();
        QCOMPARE(rows->property("count").toInt(), 4);
        for (int r = 0; r < 4; ++r) {
            QQuickItem *icon = find(QString("url_icon_%1").arg(r));
            QCOMPARE(icon->property("status").toInt(), 1); // Image.Ready
            // A missing file's icon shows faded.
            QVERIFY(icon->isVisible());
            QCOMPARE(icon->opacity() < 1, r == 2);
        }
        QQuickItem *missing = find("url_field_2");
        QCOMPARE(missing->property("selectedText").toString(), pdf.left(6));
        QVERIFY(missing->property("color").value<QColor>() !=
                find("url_field_0")->property("color").value<QColor>());
        shot("files");
    }

    // As the quick paste window shows items: passive, the files as chips.
    void filesPreview()
    {
        const QString md5 = model()->getMd5(0);
        m_details->setProperty("can_select", false);
        show(md5);
        QQuickItem *chips = find("url_chips");
        QCOMPARE(chips->property("count").toInt(), 4);
        shot("files-preview");
        m_details->setProperty("can_select", true);
    }
};

TOLVANE_TEST_MAIN(TestUiDetails)
#include "tst_ui_details.moc"
