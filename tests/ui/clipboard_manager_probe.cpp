// A stand-in X11 clipboard manager: owns CLIPBOARD_MANAGER and, when a
// program asks it to keep the clipboard at exit (SAVE_TARGETS), reads the
// clipboard's text and secret hint from that program, prints them and
// answers. Prints "ready" once it owns the selection; exits 1 when nobody
// asks within the time limit.
#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

xcb_connection_t* connection;
xcb_window_t window;
Clock::time_point deadline;

xcb_atom_t atom(const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The next event of the given type, or null at the deadline.
Reply<xcb_generic_event_t> waitFor(std::uint8_t type)
{
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == type)
                return Reply<xcb_generic_event_t>(event);
            std::free(event);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(connection))
            return nullptr;
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

// The clipboard's content in the given target, read from its owner.
std::string readClipboard(xcb_atom_t clipboard, xcb_atom_t target, xcb_atom_t property,
                          xcb_timestamp_t time)
{
    xcb_convert_selection(connection, window, clipboard, target, property, time);
    xcb_flush(connection);
    const auto event = waitFor(XCB_SELECTION_NOTIFY);
    if (!event ||
        reinterpret_cast<xcb_selection_notify_event_t*>(event.get())->property == XCB_ATOM_NONE)
        return "<none>";
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
        nullptr));
    if (!reply)
        return "<none>";
    const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    deadline = Clock::now() + std::chrono::seconds(seconds);
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "probe: no X display\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    window = xcb_generate_id(connection);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
    const xcb_atom_t manager = atom("CLIPBOARD_MANAGER");
    const xcb_atom_t saveTargets = atom("SAVE_TARGETS");
    const xcb_atom_t clipboard = atom("CLIPBOARD");
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    const xcb_atom_t hint = atom("x-kde-passwordManagerHint");
    const xcb_atom_t property = atom("PROBE_CONTENT");
    xcb_set_selection_owner(connection, window, manager, XCB_CURRENT_TIME);
    xcb_flush(connection);
    std::printf("ready\n");
    std::fflush(stdout);

    for (;;) {
        const auto event = waitFor(XCB_SELECTION_REQUEST);
        if (!event) {
            std::fprintf(stderr, "probe: nobody offered the clipboard\n");
            return 1;
        }
        const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event.get());
        if (request->selection != manager || request->target != saveTargets)
            continue;
        const std::string text = readClipboard(clipboard, utf8, property, request->time);
        const std::string secret = readClipboard(clipboard, hint, property, request->time);

        xcb_selection_notify_event_t answer{};
        answer.response_type = XCB_SELECTION_NOTIFY;
        answer.time = request->time;
        answer.requestor = request->requestor;
        answer.selection = request->selection;
        answer.target = request->target;
        answer.property = request->property;
        xcb_send_event(connection, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&answer));
        xcb_flush(connection);
        std::printf("hint: %s\n%s", secret.c_str(), text.c_str());
        std::fflush(stdout);
        xcb_disconnect(connection);
        return 0;
    }
}
