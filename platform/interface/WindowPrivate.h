#ifndef _WINDOW_PRIVATE_H
#define _WINDOW_PRIVATE_H

#include <Window.h>

class QWidget;

struct BWindow::Data {
	QWidget* widget;
};

// The layer's way into a window, and its tests'.
class BWindow::Private {
public:
	static QWidget* Widget(const BWindow* window) { return window->fData->widget; }
	// The view that holds the window's views.
	static BView* Root(const BWindow* window) { return window->fRoot; }
	// A window over a Qt top-level made elsewhere (a file dialog): it holds no views and is
	// not one of the application's windows.
	static BWindow* Adopt(QWidget* widget, const char* title)
	{
		return new BWindow(new Data{widget}, title);
	}
};

#endif
