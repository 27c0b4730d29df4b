#include <Screen.h>

#include <cmath>

#include <QGuiApplication>
#include <QScreen>

const screen_id B_MAIN_SCREEN_ID = {0};

namespace {

rgb_color desktop_color = {51, 102, 152, 255};
desktop_color_receiver color_receiver = nullptr;

}

void register_desktop_color_receiver(desktop_color_receiver receiver)
{
	color_receiver = receiver;
}

BScreen::BScreen(screen_id)
	: fValid(QGuiApplication::primaryScreen() != nullptr)
{
}

BScreen::BScreen(BWindow*)
	: BScreen(B_MAIN_SCREEN_ID)
{
}

BScreen::~BScreen()
{
}

BRect BScreen::Frame() const
{
	QScreen* screen = QGuiApplication::primaryScreen();
	if (screen == nullptr)
		return BRect();
	QSize size = screen->geometry().size();
	double ratio = screen->devicePixelRatio();
	int width = (int)std::lround(size.width() * ratio);
	int height = (int)std::lround(size.height() * ratio);
	return BRect(0, 0, width - 1, height - 1);
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
