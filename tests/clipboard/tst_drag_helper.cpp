// The drag helper's gesture recognition on a real Qt Quick item, and what a drag carries.
#include "clipboard/clipboard_list_model.h"
#include "clipboard/drag_helper.h"
#include "isolated_env.h"
#include "item/storage_paths.h"
#include "test_items.h"

#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QStyleHints>

namespace {
// A delegate as the lists have it: the object name and a method the helper invokes.
const QByteArray kDelegate = "import QtQuick 2.12\n"
                             "Item { objectName: 'ItemDelegate'; width: 200; height: 48;\n"
                             "  property int drags: 0\n"
                             "  function activateDrag() { drags++ } }";

void Send(QQuickItem *item, QEvent::Type type, QPoint at)
{
    const QPointF global = item->mapToGlobal(at);
    QMouseEvent event(type, at, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(item, &event);
}

CBData ImageItem(const QColor &colour)
{
    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(colour);
    QMimeData mime;
    mime.setImageData(picture);
    return GetCBDataFromMime(&mime);
}
} // namespace

class TestDragHelper : public QObject
{
    Q_OBJECT
private:
    QQmlEngine m_engine;
    CDragHelper m_helper;

    QQuickItem *delegate(const QByteArray &qml = kDelegate)
    {
        QQmlComponent component(&m_engine);
        component.setData(qml, QUrl());
        auto *item = qobject_cast<QQuickItem *>(component.create());
        [&] {
            QVERIFY2(item, qPrintable(component.errorString()));
        }();
        item->setParent(this);
        m_helper.initDrag(item);
        return item;
    }
    static int drags(QQuickItem *item) { return item->property("drags").toInt(); }

private slots:
    void initTestCase()
    {
        // The image store, as the clipboard manager makes it.
        QVERIFY(QDir().mkpath(QFileInfo(StoragePaths::ImgPath("x")).path()));
    }

    void aMoveOfTheStartDistanceStartsOneDrag()
    {
        const int distance = qApp->styleHints()->startDragDistance();
        QQuickItem *item = delegate();
        Send(item, QEvent::MouseButtonPress, {20, 20});
        Send(item, QEvent::MouseMove, {20 + distance - 2, 21}); // Manhattan distance - 1
        QCOMPARE(drags(item), 0);
        Send(item, QEvent::MouseMove, {20 + distance - 2, 22}); // exactly the distance
        QCOMPARE(drags(item), 1);
        Send(item, QEvent::MouseMove, {90, 40}); // one request per press
        QCOMPARE(drags(item), 1);

        // A drag swallows the release; the next press arms again.
        Send(item, QEvent::MouseButtonPress, {20, 20});
        Send(item, QEvent::MouseMove, {20, 20 + distance});
        QCOMPARE(drags(item), 2);
    }

    void aReleaseDisarms()
    {
        QQuickItem *item = delegate();
        Send(item, QEvent::MouseButtonPress, {20, 20});
        Send(item, QEvent::MouseMove, {22, 20});
        Send(item, QEvent::MouseButtonRelease, {22, 20});
        Send(item, QEvent::MouseMove, {120, 40});
        QCOMPARE(drags(item), 0);
    }

    void onlyRegisteredDelegatesAreWatched()
    {
        QQuickItem *other = delegate(QByteArray(kDelegate).replace("'ItemDelegate'", "'Row'"));
        Send(other, QEvent::MouseButtonPress, {20, 20});
        Send(other, QEvent::MouseMove, {120, 40});
        QCOMPARE(drags(other), 0);

        QQuickItem *removed = delegate();
        m_helper.rmDrag(removed);
        Send(removed, QEvent::MouseButtonPress, {20, 20});
        Send(removed, QEvent::MouseMove, {120, 40});
        QCOMPARE(drags(removed), 0);
    }

    void aDragCarriesTheItemsContents()
    {
        CCilpboardListModel list;
        const CBData image = ImageItem(Qt::red);
        list.prependItem(image);
        list.prependItem(TextItem("<b>bold</b>", CQmlTypes::Html));
        list.prependItem(TextItem("plain words"));

        QScopedPointer<QMimeData> text(CDragHelper::MimeForRow(list, 0));
        QCOMPARE(text->text(), QString("plain words"));
        QVERIFY(!text->hasUrls() && !text->hasImage());

        QScopedPointer<QMimeData> html(CDragHelper::MimeForRow(list, 1));
        QCOMPARE(html->html(), QString("<b>bold</b>"));

        QScopedPointer<QMimeData> picture(CDragHelper::MimeForRow(list, 2));
        const QString path = StoragePaths::ImgPath(image.md5);
        QCOMPARE(qvariant_cast<QImage>(picture->imageData()).size(), QSize(30, 20));
        // No text of its own: an editor would insert the store's path.
        QVERIFY(!picture->formats().contains("text/plain"));
        QScopedPointer<QMimeData> written(GetMimeFromCBData(image));
        QCOMPARE(written->formats(), QStringList({"application/x-qt-image"}));
        QCOMPARE(picture->urls(), QList<QUrl>({QUrl::fromLocalFile(path)}));
        for (int row = 0; row < 3; ++row)
            QVERIFY(CDragHelper::CanDragRow(list, row));
        QVERIFY(!CDragHelper::CanDragRow(list, 3));
        QVERIFY(!CDragHelper::CanDragRow(list, -1));
    }

    // A linked host's list: only its images that were downloaded here can be dragged.
    void aLinkedHostsRowsNeedTheImageHere()
    {
        CCilpboardListModel mirror;
        mirror.setLocal(false);
        mirror.setIp("192.0.2.7");
        const CBData fetched = ImageItem(Qt::blue);
        const CBData missing = ImageItem(Qt::green);
        mirror.prependItem(fetched);
        mirror.prependItem(missing);
        mirror.prependItem(TextItem("remote words"));
        const QString here = mirror.getImgUrl(fetched.md5).toLocalFile();
        QVERIFY(QDir().mkpath(QFileInfo(here).path()));
        QVERIFY(QFile::copy(StoragePaths::ImgPath(fetched.md5), here));

        QVERIFY(!CDragHelper::CanDragRow(mirror, 0));
        QVERIFY(!CDragHelper::CanDragRow(mirror, 1));
        QVERIFY(CDragHelper::CanDragRow(mirror, 2));
        QScopedPointer<QMimeData> mime(CDragHelper::MimeForRow(mirror, 2));
        QCOMPARE(mime->urls(), QList<QUrl>({QUrl::fromLocalFile(here)}));
        QVERIFY(!mime->formats().contains("text/plain"));
        QCOMPARE(qvariant_cast<QImage>(mime->imageData()).size(), QSize(30, 20));
    }
};

TOLVANE_TEST_MAIN(TestDragHelper)
#include "tst_drag_helper.moc"
