#include "tests/support/x_session.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Waits, within a bound, for what another process does.
template <typename Condition>
bool within_seconds(int seconds, Condition condition)
{
	for (int waited = 0; waited < seconds * 100; waited++) {
		if (condition())
			return true;
		usleep(10000);
	}
	return condition();
}

}

x_session::x_session(int width, int height)
	: fDisplay(nullptr), fHeight(height)
{
	if (!server_installed())
		return;
	// Xvfb picks a free display number and writes it to descriptor 3.
	std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	fServer.reset(new helper_process({"Xvfb", "-displayfd", "3", "-screen", "0", screen,
		"-nolisten", "tcp", "-noreset"}, 3));
	if (fServer->first_line().empty())
		return;
	fName = ":" + fServer->first_line();
	fDisplay = XOpenDisplay(fName.c_str());
}

std::unique_ptr<x_session> x_session::for_tests(int width, int height, const char** skip,
	int panelHeight, bool (*prepare)(const std::string& display))
{
	if (!server_installed() || !window_manager_installed()) {
		*skip = "Xvfb or openbox is missing (scripts/install-deps installs them)";
		return nullptr;
	}
	std::unique_ptr<x_session> session(new x_session(width, height));
	if (!session->running() || (prepare != nullptr && !prepare(session->display()))
		|| !session->start_window_manager()
		|| (panelHeight > 0 && !session->add_bottom_panel(panelHeight))) {
		fprintf(stderr, "Xvfb, openbox or the panel did not start\n");
		exit(1);
	}
	setenv("DISPLAY", session->display().c_str(), 1);
	unsetenv("WAYLAND_DISPLAY");
	setenv("QT_QPA_PLATFORM", "xcb", 1);
	setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
	return session;
}

x_session::~x_session()
{
	fPanel.reset();
	fManager.reset();
	if (fDisplay != nullptr)
		XCloseDisplay(fDisplay);
	fServer.reset();
}

bool x_session::server_installed()
{
	return on_path("Xvfb");
}

bool x_session::window_manager_installed()
{
	return on_path("openbox");
}

bool x_session::start_window_manager()
{
	if (!running() || !window_manager_installed())
		return false;
	// openbox says nothing when it is ready; the work area it publishes at the end of its
	// start tells.
	fManager.reset(new helper_process({"env", "DISPLAY=" + fName, "openbox", "--sm-disable"},
		3, 0));
	return within_seconds(5, [this] {
		int x, y, width, height;
		return work_area(&x, &y, &width, &height);
	});
}

bool x_session::add_bottom_panel(int height)
{
	if (!running())
		return false;
	// An openbox still busy with its start can miss a strut that comes early: a panel it
	// missed is mapped anew.
	for (int attempt = 0; attempt < 3; attempt++) {
		fPanel.reset(new helper_process({"env", "DISPLAY=" + fName, X_BOTTOM_PANEL,
			std::to_string(height)}));
		if (fPanel->first_line() != "ready")
			return false;
		if (fManager == nullptr)
			return true;
		if (within_seconds(4, [this, height] {
				int x, y, width, workHeight;
				return work_area(&x, &y, &width, &workHeight)
					&& y + workHeight <= fHeight - height;
			}))
			return true;
	}
	return false;
}

bool x_session::work_area(int* x, int* y, int* width, int* height) const
{
	if (!running())
		return false;
	Atom type;
	int format;
	unsigned long count, after;
	unsigned char* data = nullptr;
	bool found = XGetWindowProperty(fDisplay, DefaultRootWindow(fDisplay),
		XInternAtom(fDisplay, "_NET_WORKAREA", False), 0, 4, False, XA_CARDINAL, &type, &format,
		&count, &after, &data) == Success && type == XA_CARDINAL && format == 32 && count >= 4;
	if (found) {
		// Xlib hands 32-bit items over as longs.
		const long* values = (const long*)data;
		*x = values[0];
		*y = values[1];
		*width = values[2];
		*height = values[3];
	}
	if (data != nullptr)
		XFree(data);
	return found;
}

std::string x_session::window_title(unsigned long window) const
{
	if (!running())
		return "";
	std::string title;
	Atom type;
	int format;
	unsigned long count, after;
	unsigned char* data = nullptr;
	for (Atom name : {XInternAtom(fDisplay, "_NET_WM_NAME", False), XA_WM_NAME}) {
		if (XGetWindowProperty(fDisplay, window, name, 0, 1024, False, AnyPropertyType, &type,
				&format, &count, &after, &data) == Success && data != nullptr && format == 8) {
			title.assign((const char*)data, count);
			XFree(data);
			return title;
		}
		if (data != nullptr)
			XFree(data);
		data = nullptr;
	}
	return title;
}

// The client window of that title among the window manager's frames, or 0.
unsigned long x_session::client_window(const std::string& title) const
{
	std::function<Window(Window)> search = [this, &title, &search](Window window) {
		if (window_title(window) == title)
			return window;
		Window root, parent, *children = nullptr;
		unsigned int count = 0;
		Window found = 0;
		if (XQueryTree(fDisplay, window, &root, &parent, &children, &count)) {
			for (unsigned int i = 0; i < count && found == 0; i++)
				found = search(children[i]);
		}
		if (children != nullptr)
			XFree(children);
		return found;
	};
	return running() ? search(DefaultRootWindow(fDisplay)) : 0;
}

bool x_session::window_frame(const std::string& title, int* x, int* y, int* width,
	int* height) const
{
	Window frame = client_window(title);
	// The frame is the client's ancestor that is the root's child.
	for (;;) {
		Window root, parent, *children = nullptr;
		unsigned int count = 0;
		if (frame == 0 || !XQueryTree(fDisplay, frame, &root, &parent, &children, &count))
			return false;
		if (children != nullptr)
			XFree(children);
		if (parent == root)
			break;
		frame = parent;
	}
	XWindowAttributes shown;
	if (!XGetWindowAttributes(fDisplay, frame, &shown) || shown.map_state != IsViewable)
		return false;
	*x = shown.x;
	*y = shown.y;
	*width = shown.width + 2 * shown.border_width;
	*height = shown.height + 2 * shown.border_width;
	return true;
}

bool x_session::maximise(const std::string& title)
{
	Window client = client_window(title);
	if (client == 0)
		return false;
	// As a pager or the frame's button asks it: a message to the root window.
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = client;
	event.xclient.message_type = XInternAtom(fDisplay, "_NET_WM_STATE", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = 1;
	event.xclient.data.l[1] = XInternAtom(fDisplay, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
	event.xclient.data.l[2] = XInternAtom(fDisplay, "_NET_WM_STATE_MAXIMIZED_VERT", False);
	event.xclient.data.l[3] = 2;
	XSendEvent(fDisplay, DefaultRootWindow(fDisplay), False,
		SubstructureRedirectMask | SubstructureNotifyMask, &event);
	XFlush(fDisplay);
	return true;
}

std::vector<unsigned long> x_session::root_background(
	const std::vector<std::pair<int, int>>& points) const
{
	std::vector<unsigned long> pixels;
	Atom type;
	int format;
	unsigned long count, after;
	unsigned char* data = nullptr;
	Pixmap pixmap = 0;
	if (XGetWindowProperty(fDisplay, DefaultRootWindow(fDisplay),
			XInternAtom(fDisplay, "_XROOTPMAP_ID", False), 0, 1, False, XA_PIXMAP, &type,
			&format, &count, &after, &data) == Success && data != nullptr && count == 1)
		pixmap = *(Pixmap*)data;
	if (data != nullptr)
		XFree(data);
	Window root;
	int x, y;
	unsigned width = 0, height = 0, border, depth;
	if (pixmap == 0 || !XGetGeometry(fDisplay, pixmap, &root, &x, &y, &width, &height, &border,
			&depth))
		return pixels;
	XImage* image = XGetImage(fDisplay, pixmap, 0, 0, width, height, AllPlanes, ZPixmap);
	if (image == nullptr)
		return pixels;
	for (auto point : points)
		pixels.push_back(XGetPixel(image, point.first, point.second) & 0xffffff);
	XDestroyImage(image);
	return pixels;
}
