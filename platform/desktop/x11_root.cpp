#include "desktop_bridge.h"

#include <cstdlib>
#include <cstring>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

// Xlib's macros (None, Bool, Status) must come after Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace desktop {

namespace {

int x_errors = 0;

int count_error(Display*, XErrorEvent*)
{
	x_errors++;
	return 0;
}

// An X connection whose errors are counted instead of ending the process.
class connection {
public:
	explicit connection(const char* name)
		: fDisplay(name != nullptr && name[0] != '\0' ? XOpenDisplay(name) : nullptr),
		fOldHandler(XSetErrorHandler(count_error))
	{
	}
	~connection()
	{
		if (fDisplay != nullptr)
			XCloseDisplay(fDisplay);
		XSetErrorHandler(fOldHandler);
	}
	Display* get() const { return fDisplay; }

	// Waits for the server and tells whether it refused anything since the last call.
	bool refused()
	{
		XSync(fDisplay, False);
		bool any = x_errors > 0;
		x_errors = 0;
		return any;
	}

private:
	Display* fDisplay;
	int (*fOldHandler)(Display*, XErrorEvent*);
};

bool read_id(Display* display, Window window, Atom property, Atom type, unsigned long* id)
{
	Atom actualType = 0;
	int format = 0;
	unsigned long count = 0, after = 0;
	unsigned char* data = nullptr;
	bool found = XGetWindowProperty(display, window, property, 0, 1, False, type, &actualType,
			&format, &count, &after, &data) == Success
		&& data != nullptr && actualType == type && format == 32 && count == 1;
	if (found)
		*id = *(unsigned long*)data;
	if (data != nullptr)
		XFree(data);
	return found;
}

std::string read_text(Display* display, Window window, Atom property)
{
	Atom actualType = 0;
	int format = 0;
	unsigned long count = 0, after = 0;
	unsigned char* data = nullptr;
	std::string text;
	if (XGetWindowProperty(display, window, property, 0, 256, False, AnyPropertyType,
			&actualType, &format, &count, &after, &data) == Success
		&& data != nullptr && format == 8)
		text.assign((const char*)data, count);
	if (data != nullptr)
		XFree(data);
	return text;
}

int shift_of(unsigned long mask)
{
	int shift = 0;
	while (mask != 0 && (mask & 1) == 0) {
		mask >>= 1;
		shift++;
	}
	return shift;
}

// The picture as the server's pixmap format wants it: a straight copy for the usual 32-bit
// little-endian true colour, pixel by pixel through the visual's masks otherwise.
XImage* make_ximage(Display* display, Visual* visual, int depth, const QImage& picture)
{
	int width = picture.width(), height = picture.height();
	XImage* image = XCreateImage(display, visual, depth, ZPixmap, 0, nullptr, width, height,
		32, 0);
	if (image == nullptr)
		return nullptr;
	image->data = (char*)malloc((size_t)image->bytes_per_line * height);
	if (image->data == nullptr) {
		XDestroyImage(image);
		return nullptr;
	}
	const uint16 probe = 1;
	bool littleHost = *(const uint8*)&probe == 1;
	if (image->bits_per_pixel == 32 && visual->red_mask == 0xff0000
		&& visual->green_mask == 0xff00 && visual->blue_mask == 0xff
		&& (image->byte_order == LSBFirst) == littleHost) {
		for (int y = 0; y < height; y++)
			memcpy(image->data + (size_t)y * image->bytes_per_line, picture.constScanLine(y),
				(size_t)width * 4);
		return image;
	}
	const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
	for (int y = 0; y < height; y++) {
		const QRgb* row = (const QRgb*)picture.constScanLine(y);
		for (int x = 0; x < width; x++) {
			const unsigned long channels[3] = {(unsigned long)qRed(row[x]),
				(unsigned long)qGreen(row[x]), (unsigned long)qBlue(row[x])};
			unsigned long pixel = 0;
			for (int c = 0; c < 3; c++) {
				unsigned long range = masks[c] >> shift_of(masks[c]);
				pixel |= ((channels[c] * range + 127) / 255) << shift_of(masks[c]) & masks[c];
			}
			XPutPixel(image, x, y, pixel);
		}
	}
	return image;
}

}

std::string x11_window_manager_name(const char* displayName)
{
	connection x(displayName);
	Display* display = x.get();
	if (display == nullptr)
		return "";
	Window root = DefaultRootWindow(display);
	Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
	unsigned long child = 0, self = 0;
	// A window manager that has gone leaves its check window behind no more; one that points
	// to a window not pointing to itself is stale.
	if (!read_id(display, root, check, XA_WINDOW, &child)
		|| !read_id(display, child, check, XA_WINDOW, &self) || self != child || x.refused())
		return "";
	std::string name = read_text(display, child, XInternAtom(display, "_NET_WM_NAME", False));
	if (name.empty())
		name = read_text(display, child, XA_WM_NAME);
	return x.refused() ? "" : name;
}

std::string x11_set_root_background(const char* displayName, const background& what)
{
	QImage picture;
	if (!what.picture.empty()) {
		picture = QImage(QString::fromLocal8Bit(what.picture.c_str()));
		if (picture.isNull())
			return "cannot read the picture " + what.picture;
	}

	connection x(displayName);
	Display* display = x.get();
	if (display == nullptr)
		return std::string("cannot open the X display ") + (displayName != nullptr ? displayName : "");
	int screen = DefaultScreen(display);
	Window root = RootWindow(display, screen);
	int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
	int depth = DefaultDepth(display, screen);
	Visual* visual = DefaultVisual(display, screen);
	if (visual->c_class != TrueColor && visual->c_class != DirectColor)
		return "the X screen has no true-colour visual";

	// Unscaled and centred on the screen's own colour.
	QImage canvas(width, height, QImage::Format_RGB32);
	canvas.fill(what.has_color ? QColor(what.color.red, what.color.green, what.color.blue)
		: QColor(Qt::black));
	if (!picture.isNull()) {
		QPainter painter(&canvas);
		painter.drawImage((width - picture.width()) / 2, (height - picture.height()) / 2,
			picture);
	}

	XImage* image = make_ximage(display, visual, depth, canvas);
	if (image == nullptr)
		return "not enough memory for the root window's picture";
	Pixmap pixmap = XCreatePixmap(display, root, width, height, depth);
	GC gc = XCreateGC(display, pixmap, 0, nullptr);
	XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, width, height);
	XFreeGC(display, gc);
	XDestroyImage(image);
	if (x.refused())
		return "the X server refused the picture";

	Atom rootId = XInternAtom(display, "_XROOTPMAP_ID", False);
	Atom setrootId = XInternAtom(display, "ESETROOT_PMAP_ID", False);
	XGrabServer(display);
	unsigned long oldRoot = 0, oldSetroot = 0;
	bool hadRoot = read_id(display, root, rootId, XA_PIXMAP, &oldRoot);
	bool hadSetroot = read_id(display, root, setrootId, XA_PIXMAP, &oldSetroot);
	XSetWindowBackgroundPixmap(display, root, pixmap);
	XClearWindow(display, root);
	// The last setter's picture is freed the way setters free it: the client that kept it
	// alive is killed, and with it every resource it left behind.
	if (hadRoot && hadSetroot && oldRoot == oldSetroot && oldRoot != pixmap)
		XKillClient(display, oldRoot);
	x.refused(); // a picture already gone is no failure
	unsigned long id = pixmap;
	XChangeProperty(display, root, rootId, XA_PIXMAP, 32, PropModeReplace,
		(unsigned char*)&id, 1);
	XChangeProperty(display, root, setrootId, XA_PIXMAP, 32, PropModeReplace,
		(unsigned char*)&id, 1);
	XUngrabServer(display);
	// The pixmap must outlive this process: the server keeps what a permanent client leaves.
	XSetCloseDownMode(display, RetainPermanent);
	if (x.refused())
		return "the X server refused the root window's background";
	return "";
}

}
