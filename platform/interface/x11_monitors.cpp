#include "screen_layout.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

int ignore_error(Display*, XErrorEvent*)
{
	return 0;
}

}

std::vector<output_layout> read_x11_monitors(const char* name)
{
	std::vector<output_layout> monitors;
	if (name == nullptr || name[0] == '\0')
		return monitors;
	XErrorHandler oldHandler = XSetErrorHandler(ignore_error);
	Display* display = XOpenDisplay(name);
	if (display == nullptr) {
		XSetErrorHandler(oldHandler);
		return monitors;
	}
	int event = 0, error = 0, major = 0, minor = 0;
	// Monitors came with RandR 1.5; before it, and without RandR, the X screen is all there is.
	if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor)
		&& (major > 1 || (major == 1 && minor >= 5))) {
		int count = 0;
		XRRMonitorInfo* info = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
		for (int i = 0; info != nullptr && i < count; i++) {
			if (info[i].width <= 0 || info[i].height <= 0)
				continue;
			output_layout monitor;
			char* atomName = info[i].name != 0 ? XGetAtomName(display, info[i].name) : nullptr;
			if (atomName != nullptr) {
				monitor.name = atomName;
				XFree(atomName);
			}
			monitor.x = info[i].x;
			monitor.y = info[i].y;
			monitor.width = monitor.pixel_width = info[i].width;
			monitor.height = monitor.pixel_height = info[i].height;
			monitor.primary = info[i].primary != 0;
			monitors.push_back(monitor);
		}
		if (info != nullptr)
			XRRFreeMonitors(info);
	}
	if (monitors.empty()) {
		output_layout whole;
		whole.width = whole.pixel_width = DisplayWidth(display, DefaultScreen(display));
		whole.height = whole.pixel_height = DisplayHeight(display, DefaultScreen(display));
		whole.primary = true;
		monitors.push_back(whole);
	}
	XCloseDisplay(display);
	XSetErrorHandler(oldHandler);
	return monitors;
}

namespace {

// The 32-bit values of a root window property (Xlib hands them over as longs).
std::vector<long> root_cardinals(Display* display, const char* name)
{
	std::vector<long> values;
	Atom property = XInternAtom(display, name, True);
	if (property == None)
		return values;
	Atom type = None;
	int format = 0;
	unsigned long count = 0, remaining = 0;
	unsigned char* data = nullptr;
	if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1024, False,
			XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success
		&& type == XA_CARDINAL && format == 32 && data != nullptr)
		values.assign((long*)data, (long*)data + count);
	if (data != nullptr)
		XFree(data);
	return values;
}

}

bool read_x11_work_area(const char* name, work_area* area)
{
	if (name == nullptr || name[0] == '\0' || area == nullptr)
		return false;
	XErrorHandler oldHandler = XSetErrorHandler(ignore_error);
	Display* display = XOpenDisplay(name);
	if (display == nullptr) {
		XSetErrorHandler(oldHandler);
		return false;
	}
	std::vector<long> areas = root_cardinals(display, "_NET_WORKAREA");
	std::vector<long> desktop = root_cardinals(display, "_NET_CURRENT_DESKTOP");
	XCloseDisplay(display);
	XSetErrorHandler(oldHandler);
	// Four values per desktop: x, y, width, height.
	size_t index = desktop.empty() ? 0 : (size_t)desktop[0];
	if (areas.size() < 4 * (index + 1) || areas[4 * index + 2] <= 0
		|| areas[4 * index + 3] <= 0)
		return false;
	area->x = (int32)areas[4 * index];
	area->y = (int32)areas[4 * index + 1];
	area->width = (int32)areas[4 * index + 2];
	area->height = (int32)areas[4 * index + 3];
	return true;
}
