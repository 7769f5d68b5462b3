#include "core/platform/x11_full_screen.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(VORLUNE_HAVE_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace platform {

bool askX11FullScreen(SDL_Window* window, bool fullScreen) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(VORLUNE_HAVE_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    const Window xWindow = info.info.x11.window;
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom fullScreenState = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, xWindow, &attributes);
    if (attributes.map_state == IsUnmapped) {
        if (fullScreen) {
            XChangeProperty(display, xWindow, state, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&fullScreenState), 1);
        } else {
            XDeleteProperty(display, xWindow, state);
        }
    } else {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = xWindow;
        request.xclient.message_type = state;
        request.xclient.format = 32;
        request.xclient.data.l[0] = fullScreen ? 1 : 0;  // add, remove
        request.xclient.data.l[1] = static_cast<long>(fullScreenState);
        request.xclient.data.l[3] = 1;  // asked by the application itself
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureNotifyMask | SubstructureRedirectMask, &request);
    }
    XFlush(display);
    return true;
#else
    (void)window;
    (void)fullScreen;
    return false;
#endif
}

}  // namespace platform
