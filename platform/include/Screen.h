#ifndef _SCREEN_H
#define _SCREEN_H

#include <InterfaceDefs.h>
#include <Rect.h>

class BWindow;

class BScreen {
public:
	BScreen(screen_id id = B_MAIN_SCREEN_ID);
	BScreen(BWindow* window);
	~BScreen();

	bool IsValid() const { return fValid; }
	status_t InitCheck() const { return fValid ? B_OK : B_ERROR; }
	// In device pixels: the wallpaper must fill a high-density screen pixel for pixel.
	BRect Frame() const;
	rgb_color DesktopColor() const;
	void SetDesktopColor(rgb_color color, bool makeDefault = true);

private:
	bool fValid;
};

// The layer's desktop bridge receives desktop colour changes here.
typedef void (*desktop_color_receiver)(rgb_color color);
void register_desktop_color_receiver(desktop_color_receiver receiver);

#endif
