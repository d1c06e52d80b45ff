#include "quick_paste_view.h"

#include "app_logging.h"
#include "clipboard/qml_helper.h"
#include "os/os_abstract.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickWindow>
#include <QScreen>

namespace {
const QUrl kQuickPasteQml(QStringLiteral("qrc:/qml/quickpaste/QuickPasteView.qml"));
// Requests since start; the second one is let pass without effect.
int g_requests = 0;
} // namespace

CQuickPasteView::CQuickPasteView(QObject *parent) : QObject(parent) {}

CQuickPasteView::~CQuickPasteView()
{
    // The window's bindings reach into the engine's context: it goes first.
    delete m_window.data();
}

void CQuickPasteView::ShowQuickPaste(bool to_pin)
{
    if (g_requests == 1) {
        g_requests = 2;
        return;
    }
    ++g_requests;
    if (!m_window)
        Init();
    if (!m_window)
        return;
    if (!m_window->isVisible())
        placeOnForegroundScreen();
    QMetaObject::invokeMethod(m_window, "changeVisible", Qt::DirectConnection,
                              Q_ARG(QVariant, QVariant(to_pin)));
}

void CQuickPasteView::Init()
{
    auto *context = new QQmlContext(m_engine.rootContext(), &m_engine);
    emit CQmlHelper::instance()->SigSetupContextFromMain(context);
    QQmlComponent component(&m_engine, kQuickPasteQml);
    QObject *root = component.create(context);
    auto *window = qobject_cast<QQuickWindow *>(root);
    if (!window) {
        qCWarning(lcApp) << Q_FUNC_INFO << __LINE__ << component.errors();
        delete root;
        return;
    }
    m_window = window;
    OsInstance()->SetupQuickPasteWindow(window, context);
    // Whether the keys typed reach it: the desktop decides about the focus.
    connect(window, &QWindow::activeChanged, this,
            [window] { qCDebug(lcApp) << "quick paste window active:" << window->isActive(); });
}

void CQuickPasteView::placeOnForegroundScreen()
{
    QScreen *screen = OsInstance()->ForegroundScreen();
    if (!screen || (m_placed && screen == m_window->screen()))
        return;
    m_window->setScreen(screen);
    const QRect area = screen->geometry();
    m_window->setPosition(area.x() + (area.width() - m_window->width()) / 2,
                          area.y() + (area.height() - m_window->height()) / 2);
    m_placed = true;
}
