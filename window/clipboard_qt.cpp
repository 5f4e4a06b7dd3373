#include "window/clipboard_qt.h"

#include <poll.h>
#include <qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

// Last: Xlib's macros (None, Bool...) would meet Qt's names.
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include "runtime/unique_resource.h"

namespace window::x11 {

namespace {

using Clock = std::chrono::steady_clock;
using UniqueConnection = runtime::UniqueResource<xcb_connection_t*, &::xcb_disconnect>;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

std::string DisplayName() {
    // Qt may have been told another display than $DISPLAY names.
    if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        if (Display* display = x11->display()) return DisplayString(display);
    }
    return qEnvironmentVariable("DISPLAY").toStdString();
}

std::string ReadClipboardText(const std::string& display, std::size_t limit, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    int screenNumber = 0;
    const UniqueConnection connection(xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber));
    xcb_connection_t* const c = connection.Get();
    if (c == nullptr || xcb_connection_has_error(c) != 0) return "";
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return "";
    const xcb_screen_t* screen = screens.data;

    // The owner writes the text into a property of a window of this connection.
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      screen->root_visual, 0, nullptr);
    const xcb_atom_t clipboard = Atom(c, "CLIPBOARD"), utf8 = Atom(c, "UTF8_STRING"),
                     property = Atom(c, "PELLWICK_CLIPBOARD"), incremental = Atom(c, "INCR");
    if (clipboard == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE || property == XCB_ATOM_NONE) return "";
    xcb_convert_selection(c, window, clipboard, utf8, property, XCB_CURRENT_TIME);
    xcb_flush(c);

    Reply<xcb_selection_notify_event_t> notified;
    while (!notified) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7F) == XCB_SELECTION_NOTIFY) {
                notified.reset(reinterpret_cast<xcb_selection_notify_event_t*>(event));
                break;
            }
            std::free(event);
        }
        if (notified) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (xcb_connection_has_error(c) != 0 || left <= 0) return "";
        pollfd wait{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&wait, 1, static_cast<int>(left) + 1);
    }
    if (!notified || notified->property == XCB_ATOM_NONE) return "";  // no text, or no owner
    // One 32-bit unit more than the limit tells a longer text from one that fits.
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                                static_cast<std::uint32_t>(limit / 4 + 1)),
                               nullptr));
    // A text the owner hands over in parts (INCR) is far longer than any digest.
    if (!reply || reply->type == incremental || reply->format != 8 || reply->bytes_after != 0) return "";
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    if (length > limit) return "";
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

}  // namespace window::x11
