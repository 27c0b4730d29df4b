// A stand-in for a desktop's bottom panel: a dock window along the screen's bottom edge that
// reserves its strip with _NET_WM_STRUT_PARTIAL, so a window manager takes the strip out of
// the work area. Usage: x_bottom_panel [HEIGHT]; it prints "ready" once mapped and stays until
// killed.
#include <cstdio>
#include <cstdlib>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv)
{
	int height = argc > 1 ? atoi(argv[1]) : 40;
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr || height <= 0) {
		fprintf(stderr, "x_bottom_panel: no display, or a height that is not a number\n");
		return 1;
	}
	int screen = DefaultScreen(display);
	int width = DisplayWidth(display, screen);
	int bottom = DisplayHeight(display, screen);

	XSetWindowAttributes attributes;
	attributes.background_pixel = 0x404040;
	Window panel = XCreateWindow(display, RootWindow(display, screen), 0, bottom - height,
		width, height, 0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel,
		&attributes);

	Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
	Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
	XChangeProperty(display, panel, type, XA_ATOM, 32, PropModeReplace,
		(unsigned char*)&dock, 1);
	// left, right, top, bottom, then the start and end of each strip along its edge.
	long strut[12] = {0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1};
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False),
		XA_CARDINAL, 32, PropModeReplace, (unsigned char*)strut, 12);
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT", False),
		XA_CARDINAL, 32, PropModeReplace, (unsigned char*)strut, 4);
	// Where it was put, not where the window manager would place a new window.
	XSizeHints hints;
	hints.flags = USPosition | USSize;
	hints.x = 0;
	hints.y = bottom - height;
	hints.width = width;
	hints.height = height;
	XSetWMNormalHints(display, panel, &hints);
	// On every desktop, as panels are.
	long everyDesktop = 0xffffffff;
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_DESKTOP", False),
		XA_CARDINAL, 32, PropModeReplace, (unsigned char*)&everyDesktop, 1);
	XMapWindow(display, panel);
	XSync(display, False);
	printf("ready\n");
	fflush(stdout);

	// Serve the connection until the process is killed; the panel goes with it.
	for (;;) {
		XEvent event;
		XNextEvent(display, &event);
	}
}
