#pragma once

#include "app/context.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

namespace veldrin {

// Alt+A as a desktop-wide key on X11: a key grab on the root window, and an event filter that
// brings the window forward when the grabbed key arrives. On other platforms (Wayland, the
// offscreen platform) it registers nothing.
class X11HotKey final : public WindowHotKey, public QAbstractNativeEventFilter
{
public:
    X11HotKey() = default;
    ~X11HotKey() override;
    X11HotKey(const X11HotKey&) = delete;
    X11HotKey& operator=(const X11HotKey&) = delete;

    void registerAltA(QWidget* window) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void release();

    QPointer<QWidget> m_window;
    quint32 m_root = 0;
    quint8 m_keyCode = 0;
    bool m_grabbed = false;
    bool m_filterInstalled = false;
};

} // namespace veldrin
