/* Asks a top-level X window to close, as its close box does: sends WM_DELETE_WINDOW
 * to the first window whose name contains the given text. Exit 0 when sent. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <string.h>

static Window findByName(Display* display, Window window, const char* text) {
    char* name = NULL;
    if (XFetchName(display, window, &name) && name) {
        int match = strstr(name, text) != NULL;
        XFree(name);
        if (match)
            return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = findByName(display, children[i], text);
        if (children)
            XFree(children);
    }
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW-NAME-TEXT\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    Window window = findByName(display, DefaultRootWindow(display), argv[1]);
    if (!window) {
        fprintf(stderr, "no window named like '%s'\n", argv[1]);
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
