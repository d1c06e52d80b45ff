#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>
#include <memory>

// Reports every change of the CLIPBOARD selection's owner as the X server announces it
// (XFixes selection events, which the toolkit's X11 plugin asks for), seen before the
// toolkit handles them. The toolkit also handles them as before.
class CXFixesSelectionFilter : public QAbstractNativeEventFilter
{
public:
    // Null unless the application runs on X11 with the XFixes extension.
    static std::unique_ptr<CXFixesSelectionFilter> Create(std::function<void()> on_change);
    ~CXFixesSelectionFilter() override;

    bool nativeEventFilter(const QByteArray &event_type, void *message, long *result) override;

private:
    CXFixesSelectionFilter(std::function<void()> on_change, quint8 first_event, quint32 clipboard);

    std::function<void()> m_onChange;
    quint8 m_firstEvent;
    quint32 m_clipboard;
};
