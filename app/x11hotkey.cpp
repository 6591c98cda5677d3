#include "app/x11hotkey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#ifdef VELDRIN_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace veldrin {

#ifdef VELDRIN_HAVE_XCB
namespace {

xcb_connection_t* x11Connection()
{
    auto* app = qGuiApp;
    if (app == nullptr)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The key code that carries the letter a in the keyboard's current layout, 0 when none does.
xcb_keycode_t keyCodeOfLetterA(xcb_connection_t* connection)
{
    constexpr xcb_keysym_t keySymA = 0x61; // XK_a
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const xcb_get_keyboard_mapping_cookie_t cookie = xcb_get_keyboard_mapping(connection, first, count);
    std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->keysyms_per_keycode == 0)
        return 0;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply.get());
    const int perCode = reply->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(reply.get());
    for (int i = 0; i < total; ++i) {
        if (symbols[i] == keySymA)
            return static_cast<xcb_keycode_t>(first + i / perCode);
    }
    return 0;
}

// Alt is Mod1. Caps Lock (Lock) and Num Lock (Mod2 on common layouts) must not stop the key,
// so the grab is made once for each of their combinations.
constexpr quint16 altMask = XCB_MOD_MASK_1;
constexpr quint16 lockMasks[] = { 0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 };

} // namespace
#endif

X11HotKey::~X11HotKey()
{
    release();
}

void X11HotKey::registerAltA(QWidget* window)
{
    release();
    m_window = window;
#ifdef VELDRIN_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr || window == nullptr)
        return;
    const xcb_keycode_t keyCode = keyCodeOfLetterA(connection);
    if (keyCode == 0)
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr)
        return;
    m_root = screen->root;
    m_keyCode = keyCode;
    for (const quint16 locks : lockMasks)
        xcb_grab_key(connection, 1, m_root, altMask | locks, m_keyCode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(connection);
    m_grabbed = true;
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
#endif
}

bool X11HotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
#ifdef VELDRIN_HAVE_XCB
    if (!m_grabbed || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    constexpr quint16 ignored = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
    if (press->detail != m_keyCode || press->root != m_root || (press->state & ~ignored) != altMask)
        return false;
    // Raised after Qt has seen the key press too, so that the activation request carries the
    // time of this key and the window manager lets the window come forward.
    QPointer<QWidget> window = m_window;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [window] {
            if (window.isNull())
                return;
            if (window->isMinimized())
                window->showNormal();
            window->show();
            window->raise();
            window->activateWindow();
        },
        Qt::QueuedConnection);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void X11HotKey::release()
{
#ifdef VELDRIN_HAVE_XCB
    if (m_grabbed) {
        if (xcb_connection_t* connection = x11Connection()) {
            for (const quint16 locks : lockMasks)
                xcb_ungrab_key(connection, m_keyCode, m_root, altMask | locks);
            xcb_flush(connection);
        }
        m_grabbed = false;
    }
#endif
    if (m_filterInstalled && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filterInstalled = false;
    }
}

} // namespace veldrin
