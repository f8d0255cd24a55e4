// Small X11 actions for the dialog tests:
//   dialog_x_tool close WINDOW   asks the window to close, as a window manager's close box does
//   dialog_x_tool shot FILE.png [WINDOW]  saves the screen, or one window of it, as a PNG
#include <X11/Xlib.h>
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int closeWindow(const char* id) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    Window window = static_cast<Window>(std::strtoul(id, nullptr, 0));
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}

int screenshot(const char* file, const char* id) {
    if (!gdk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }
    GdkWindow* window = gdk_get_default_root_window();
    if (id) {
        window = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(),
                                                        static_cast<Window>(std::strtoul(id, nullptr, 0)));
        if (!window) {
            std::fprintf(stderr, "no window %s\n", id);
            return 1;
        }
    }
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window), gdk_window_get_height(window));
    if (!shot)
        return 1;
    GError* error = nullptr;
    bool saved = gdk_pixbuf_save(shot, file, "png", &error, nullptr);
    if (error) {
        std::fprintf(stderr, "%s\n", error->message);
        g_error_free(error);
    }
    g_object_unref(shot);
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        return closeWindow(argv[2]);
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "shot") == 0)
        return screenshot(argv[2], argc == 4 ? argv[3] : nullptr);
    std::fprintf(stderr, "usage: %s close WINDOW | shot FILE.png [WINDOW]\n", argv[0]);
    return 2;
}
