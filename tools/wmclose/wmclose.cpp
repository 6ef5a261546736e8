// wmclose WINDOW-ID: asks an X11 window to close, as a window manager's close
// button does (a WM_DELETE_WINDOW message), so that the program runs its own
// close handling. Scripts on a bare Xvfb display have no window manager.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wmclose WINDOW-ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wmclose: cannot open display\n");
        return 1;
    }
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, message.xclient.window, False, NoEventMask, &message);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
