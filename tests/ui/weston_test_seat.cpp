// A Weston module for the window's Wayland tests. Weston's headless backend
// has no seat, so its clients have no keyboard, no pointer and no clipboard
// (wl_data_device belongs to a seat). Loaded with
//   weston --backend=headless-backend.so --modules=/path/weston_test_seat.so
// it adds a seat with a keyboard and a pointer, and reads input for them,
// one command a line, from the FIFO named by TOVRIK_TEST_SEAT_FIFO. The
// input goes through the compositor as a device's would: it carries real
// serials, moves the focus and opens popup grabs.
//
//   key CODE...         presses the evdev key codes in order, then releases
//                       them in reverse (key 42 68 is Shift+F10)
//   press CODE...       presses them and holds them, as a hand does while the
//   release CODE...     program answers; Weston grants a popup only for the
//                       serial of the latest key or button event
//   click BUTTON X Y    moves the pointer to X, Y in the surface of the
//                       keyboard focus and presses and releases BUTTON
//                       (272 left, 273 right)
//   activate TITLE      gives the keyboard focus to the window whose title
//                       begins with TITLE, as a click on it would
//   windows PATH        writes one line per mapped window or popup, top
//                       first: "role<TAB>title<TAB>app id<TAB>width<TAB>
//                       height<TAB>focused" (role xdg_toplevel or xdg_popup;
//                       focused 1 for the keyboard focus, else 0), to
//                       PATH.tmp, then renames it PATH
//
// Debian 12's Weston 10 only: the input entry points below are exported by
// libweston but declared in its private backend header.
#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libweston-desktop/libweston-desktop.h>
#include <libweston/libweston.h>

// libweston/backend.h and libweston-internal.h of Weston 10.
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);
void notify_motion_absolute(struct weston_seat* seat, const struct timespec* time, double x,
                            double y);
void notify_button(struct weston_seat* seat, const struct timespec* time, int32_t button,
                   enum wl_pointer_button_state state);
void notify_pointer_frame(struct weston_seat* seat);
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* ec,
                      const char* seat_name);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
int weston_seat_init_pointer(struct weston_seat* seat);
void weston_seat_release(struct weston_seat* seat);

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]);
}

namespace {

struct TestSeat {
    weston_compositor* compositor = nullptr;
    weston_seat seat{};
    int fd = -1;
    wl_event_source* source = nullptr;
    std::string pending;
    wl_listener destroyed{};
};

timespec now()
{
    timespec t{};
    weston_compositor_get_time(&t);
    return t;
}

void keys(TestSeat& s, const std::vector<uint32_t>& codes, bool press, bool release)
{
    if (press)
        for (uint32_t code : codes) {
            const timespec t = now();
            notify_key(&s.seat, &t, code, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
        }
    if (release)
        for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
            const timespec t = now();
            notify_key(&s.seat, &t, *it, WL_KEYBOARD_KEY_STATE_RELEASED, STATE_UPDATE_AUTOMATIC);
        }
}

weston_view* firstView(weston_surface* surface)
{
    if (surface == nullptr || wl_list_empty(&surface->views))
        return nullptr;
    weston_view* view = nullptr;
    view = wl_container_of(surface->views.next, view, surface_link);
    return view;
}

void click(TestSeat& s, int32_t button, float x, float y)
{
    weston_keyboard* keyboard = weston_seat_get_keyboard(&s.seat);
    weston_view* view = firstView(keyboard ? keyboard->focus : nullptr);
    if (view == nullptr) {
        weston_log("tovrik test seat: click without a focused window\n");
        return;
    }
    float gx = 0, gy = 0;
    weston_view_to_global_float(view, x, y, &gx, &gy);
    timespec t = now();
    notify_motion_absolute(&s.seat, &t, gx, gy);
    notify_pointer_frame(&s.seat);
    t = now();
    notify_button(&s.seat, &t, button, WL_POINTER_BUTTON_STATE_PRESSED);
    notify_pointer_frame(&s.seat);
    t = now();
    notify_button(&s.seat, &t, button, WL_POINTER_BUTTON_STATE_RELEASED);
    notify_pointer_frame(&s.seat);
}

void activate(TestSeat& s, const std::string& prefix)
{
    weston_view* view = nullptr;
    wl_list_for_each(view, &s.compositor->view_list, link)
    {
        weston_surface* surface = view->surface;
        if (!weston_surface_is_desktop_surface(surface) || !weston_surface_is_mapped(surface))
            continue;
        const char* title =
            weston_desktop_surface_get_title(weston_surface_get_desktop_surface(surface));
        if (title && std::string(title).rfind(prefix, 0) == 0) {
            weston_view_activate_input(view, &s.seat, WESTON_ACTIVATE_FLAG_CLICKED);
            return;
        }
    }
    weston_log("tovrik test seat: no window titled %s\n", prefix.c_str());
}

void windows(TestSeat& s, const std::string& path)
{
    weston_keyboard* keyboard = weston_seat_get_keyboard(&s.seat);
    std::string text;
    weston_view* view = nullptr;
    wl_list_for_each(view, &s.compositor->view_list, link)
    {
        weston_surface* surface = view->surface;
        if (!weston_surface_is_desktop_surface(surface) || !weston_view_is_mapped(view))
            continue;
        weston_desktop_surface* desktop = weston_surface_get_desktop_surface(surface);
        const char* title = weston_desktop_surface_get_title(desktop);
        const char* appId = weston_desktop_surface_get_app_id(desktop);
        const weston_geometry g = weston_desktop_surface_get_geometry(desktop);
        text += std::string(surface->role_name ? surface->role_name : "") + '\t' +
                (title ? title : "") + '\t' + (appId ? appId : "") + '\t' +
                std::to_string(g.width) + '\t' + std::to_string(g.height) + '\t' +
                (keyboard && keyboard->focus == surface ? "1" : "0") + '\n';
    }
    const std::string tmp = path + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
        std::rename(tmp.c_str(), path.c_str());
    }
}

void command(TestSeat& s, const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "key" || verb == "press" || verb == "release") {
        std::vector<uint32_t> codes;
        for (uint32_t code = 0; in >> code;)
            codes.push_back(code);
        keys(s, codes, verb != "release", verb != "press");
    } else if (verb == "click") {
        int32_t button = 0;
        float x = 0, y = 0;
        if (in >> button >> x >> y)
            click(s, button, x, y);
    } else if (verb == "activate") {
        std::string prefix;
        std::getline(in >> std::ws, prefix);
        activate(s, prefix);
    } else if (verb == "windows") {
        std::string path;
        if (in >> path)
            windows(s, path);
    } else if (!verb.empty()) {
        weston_log("tovrik test seat: unknown command %s\n", verb.c_str());
    }
}

int readable(int fd, uint32_t, void* data)
{
    auto& s = *static_cast<TestSeat*>(data);
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        s.pending.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t end; (end = s.pending.find('\n')) != std::string::npos;) {
        const std::string line = s.pending.substr(0, end);
        s.pending.erase(0, end + 1);
        command(s, line);
    }
    return 0;
}

void destroy(wl_listener* listener, void*)
{
    TestSeat* s = nullptr;
    s = wl_container_of(listener, s, destroyed);
    if (s->source)
        wl_event_source_remove(s->source);
    if (s->fd >= 0)
        close(s->fd);
    weston_seat_release(&s->seat);
    delete s;
}

} // namespace

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int*, char*[])
{
    const char* fifo = std::getenv("TOVRIK_TEST_SEAT_FIFO");
    if (fifo == nullptr) {
        weston_log("tovrik test seat: TOVRIK_TEST_SEAT_FIFO is not set\n");
        return -1;
    }
    auto* s = new TestSeat;
    s->compositor = compositor;
    // Read and write, so that the FIFO never reads as closed between writers.
    s->fd = open(fifo, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (s->fd < 0) {
        weston_log("tovrik test seat: cannot open %s\n", fifo);
        delete s;
        return -1;
    }
    weston_seat_init(&s->seat, compositor, "tovrik-test");
    if (weston_seat_init_keyboard(&s->seat, nullptr) < 0 ||
        weston_seat_init_pointer(&s->seat) < 0) {
        weston_log("tovrik test seat: no keyboard or pointer\n");
        return -1;
    }
    s->source = wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), s->fd,
                                     WL_EVENT_READABLE, readable, s);
    weston_compositor_add_destroy_listener_once(compositor, &s->destroyed, destroy);
    weston_log("tovrik test seat: reading %s\n", fifo);
    return 0;
}
