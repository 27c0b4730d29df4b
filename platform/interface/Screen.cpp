#include <Screen.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QScreen>

#include <QWidget>

#include "WindowPrivate.h"
#include "screen_layout.h"

const screen_id B_MAIN_SCREEN_ID = {0};

namespace {

rgb_color desktop_color = {51, 102, 152, 255};
desktop_color_receiver color_receiver = nullptr;

QScreen* qt_screen_named(const std::string& name)
{
	for (QScreen* screen : QGuiApplication::screens()) {
		if (screen->name().toStdString() == name)
			return screen;
	}
	return nullptr;
}

// Qt rounds fractional scales and keeps the mode's size to itself: the display server is asked
// where it can be; Qt's own screens stand in for the rest (the offscreen platform, others).
std::vector<output_layout> read_layout()
{
	std::vector<output_layout> outputs;
	if (QGuiApplication::primaryScreen() == nullptr)
		return outputs;
	QString platform = QGuiApplication::platformName();
	if (platform == QLatin1String("wayland"))
		outputs = read_wayland_display(nullptr).outputs;
	else if (platform == QLatin1String("xcb"))
		outputs = read_x11_monitors(getenv("DISPLAY"));
	if (outputs.empty()) {
		for (QScreen* screen : QGuiApplication::screens()) {
			output_layout output;
			output.name = screen->name().toStdString();
			QRect geometry = screen->geometry();
			output.x = geometry.x();
			output.y = geometry.y();
			output.width = geometry.width();
			output.height = geometry.height();
			output.pixel_width = (int32)std::lround(geometry.width() * screen->devicePixelRatio());
			output.pixel_height = (int32)std::lround(geometry.height()
				* screen->devicePixelRatio());
			outputs.push_back(output);
		}
	}
	// The main screen: the one the server calls primary, else Qt's, else the first.
	auto main = std::find_if(outputs.begin(), outputs.end(),
		[](const output_layout& output) { return output.primary; });
	if (main == outputs.end()) {
		std::string primary = QGuiApplication::primaryScreen()->name().toStdString();
		main = std::find_if(outputs.begin(), outputs.end(),
			[&](const output_layout& output) { return output.name == primary; });
	}
	if (main != outputs.end())
		std::rotate(outputs.begin(), main, main + 1);
	return outputs;
}

}

void register_desktop_color_receiver(desktop_color_receiver receiver)
{
	color_receiver = receiver;
}

std::vector<screen_frame> get_screen_frames()
{
	std::vector<screen_frame> screens;
	for (const output_layout& output : read_layout()) {
		if (output.width <= 0 || output.height <= 0)
			continue;
		screen_frame screen;
		double scaleX = (double)output.pixel_width / output.width;
		double scaleY = (double)output.pixel_height / output.height;
		float left = (float)std::lround(output.x * scaleX);
		float top = (float)std::lround(output.y * scaleY);
		screen.frame.Set(left, top, left + output.pixel_width - 1,
			top + output.pixel_height - 1);
		QScreen* qt = qt_screen_named(output.name);
		QRect placed = qt != nullptr ? qt->geometry()
			: QRect(output.x, output.y, output.width, output.height);
		screen.window_frame.Set(placed.left(), placed.top(), placed.right(), placed.bottom());
		snprintf(screen.name, sizeof(screen.name), "%s", output.name.c_str());
		screens.push_back(screen);
	}
	BRect box = screens_bounds(screens);
	for (screen_frame& screen : screens)
		screen.frame.OffsetBy(-box.left, -box.top);
	return screens;
}

BRect screens_bounds(const std::vector<screen_frame>& screens)
{
	if (screens.empty())
		return BRect();
	BRect box = screens[0].frame;
	for (const screen_frame& screen : screens)
		box = box | screen.frame;
	return box;
}

BScreen::BScreen(screen_id)
	: fValid(QGuiApplication::primaryScreen() != nullptr), fWindow(nullptr)
{
}

BScreen::BScreen(BWindow* window)
	: BScreen(B_MAIN_SCREEN_ID)
{
	fWindow = window;
}

namespace {

QScreen* qt_screen_of(BWindow* window)
{
	QWidget* widget = window != nullptr ? BWindow::Private::Widget(window) : nullptr;
	QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
	return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

}

BScreen::~BScreen()
{
}

BRect BScreen::Frame() const
{
	std::vector<screen_frame> screens = get_screen_frames();
	if (screens.empty())
		return BRect();
	return BRect(0, 0, screens[0].frame.Width(), screens[0].frame.Height());
}

BRect BScreen::WindowFrame() const
{
	QScreen* screen = qt_screen_of(fWindow);
	if (screen == nullptr)
		return BRect();
	QRect geometry = screen->geometry();
	return BRect(geometry.left(), geometry.top(), geometry.right(), geometry.bottom());
}

// Qt's own work area is the whole screen on X as soon as there are several monitors, since
// _NET_WORKAREA spans them all: it is read here and cut to the screen.
QRect work_area_of(QScreen* screen)
{
	QRect geometry = screen->geometry();
	QString platform = QGuiApplication::platformName();
	work_area area;
	if (platform == QLatin1String("wayland"))
		return geometry;
	if (platform != QLatin1String("xcb") || !read_x11_work_area(getenv("DISPLAY"), &area))
		return screen->availableGeometry();
	// A scaled screen keeps its origin in X's pixels and divides the rest.
	double ratio = screen->devicePixelRatio();
	QRect native(geometry.topLeft(), (QSizeF(geometry.size()) * ratio).toSize());
	QRect inside = QRect(area.x, area.y, area.width, area.height) & native;
	if (inside.isEmpty())
		return geometry;
	QPointF offset = QPointF(inside.topLeft() - native.topLeft()) / ratio;
	return QRect(geometry.topLeft() + offset.toPoint(), (QSizeF(inside.size()) / ratio).toSize());
}

BRect BScreen::WorkArea() const
{
	QScreen* screen = qt_screen_of(fWindow);
	if (screen == nullptr)
		return BRect();
	QRect work = work_area_of(screen);
	return BRect(work.left(), work.top(), work.right(), work.bottom());
}

float BScreen::PixelRatio() const
{
	QWidget* widget = fWindow != nullptr ? BWindow::Private::Widget(fWindow) : nullptr;
	if (widget != nullptr)
		return widget->devicePixelRatioF();
	QScreen* screen = QGuiApplication::primaryScreen();
	return screen != nullptr ? screen->devicePixelRatio() : 1;
}

rgb_color BScreen::DesktopColor() const
{
	return desktop_color;
}

void BScreen::SetDesktopColor(rgb_color color, bool)
{
	desktop_color = color;
	if (color_receiver != nullptr)
		color_receiver(color);
}
