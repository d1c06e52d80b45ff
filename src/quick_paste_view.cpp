#include "quick_paste_view.h"

#include "app_logging.h"
#include "cmain.h"
#include "os/os_abstract.h"
#include "released_window.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickWindow>
#include <QScreen>

namespace {
const QUrl kQuickPasteQml(QStringLiteral("qrc:/qml/quickpaste/QuickPasteView.qml"));
} // namespace

CQuickPasteView::CQuickPasteView(QObject *parent) : QObject(parent)
{
    m_hiddenTimer.setSingleShot(true);
    m_hiddenTimer.setInterval(0);
    connect(&m_hiddenTimer, &QTimer::timeout, this, &CQuickPasteView::releaseHiddenWindow);
}

CQuickPasteView::~CQuickPasteView()
{
    // The window's bindings reach into the engine's context: it goes first.
    delete m_window.data();
}

void CQuickPasteView::ShowQuickPaste(bool to_pin)
{
    // Every request toggles the window.
    if (!m_window)
        Init();
    if (!m_window)
        return;
    if (!m_window->isVisible()) {
        // The paste goes to the window that is active now.
        OsInstance()->rememberPasteTarget();
        placeOnForegroundScreen();
    }
    QMetaObject::invokeMethod(m_window, "changeVisible", Qt::DirectConnection,
                              Q_ARG(QVariant, QVariant(to_pin)));
}

void CQuickPasteView::Init()
{
    auto *context = new QQmlContext(m_engine.rootContext(), &m_engine);
    m_context = context;
    CMain::SetupContext(context);
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
    if (m_placed && m_lastScreen) {
        window->setScreen(m_lastScreen);
        window->setPosition(m_lastPosition);
    }
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (visible)
            m_hiddenTimer.stop();
        else if (m_hiddenTimer.interval() > 0)
            m_hiddenTimer.start(); // a paste after the hide runs well within it
    });
    // Whether the keys typed reach it: the desktop decides about the focus.
    connect(window, &QWindow::activeChanged, this,
            [window] { qCDebug(lcApp) << "quick paste window active:" << window->isActive(); });
}

void CQuickPasteView::setReleaseHiddenAfter(int msecs)
{
    m_hiddenTimer.setInterval(qMax(0, msecs));
    if (msecs <= 0)
        m_hiddenTimer.stop();
    else if (m_window && !m_window->isVisible())
        m_hiddenTimer.start();
}

void CQuickPasteView::releaseHiddenWindow()
{
    if (!m_window || m_window->isVisible())
        return;
    qCDebug(lcApp) << "quick paste window released after" << m_hiddenTimer.interval()
                   << "ms hidden";
    m_lastPosition = m_window->position();
    m_lastScreen = m_window->screen();
    m_window->deleteLater();
    m_window.clear();
    if (m_context)
        m_context->deleteLater();
    CollectAfterWindowRelease(&m_engine);
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
