#ifndef _SCREEN_H
#define _SCREEN_H

#include <vector>

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
	// In the screen's own pixels, its current mode whatever the desktop's scale: the
	// wallpaper must fill a high-density screen pixel for pixel.
	BRect Frame() const;
	// Where windows are placed: the screen in the desktop's logical coordinates, which a
	// scaled desktop makes smaller than Frame().
	BRect WindowFrame() const;
	// Beyond Haiku: where windows may go, in the same logical coordinates: the screen less the
	// strips that panels reserve (on Wayland the compositor places windows: the whole screen).
	BRect WorkArea() const;
	// Beyond Haiku: the device pixels a logical pixel has where the window is shown (2 on a
	// screen scaled to 200%).
	float PixelRatio() const;
	rgb_color DesktopColor() const;
	void SetDesktopColor(rgb_color color, bool makeDefault = true);

private:
	bool fValid;
	// The window whose screen this is; null for the main screen.
	BWindow* fWindow;
};

// Beyond Haiku, which has one screen: every screen of the desktop, the main one first, read
// from the display server at each call. frame is in pixels, where a picture spanning all screens
// shows this screen's own pixels: the desktop's layout position times the screen's scale, the
// whole moved so that the screens' bounding box starts at 0, 0. window_frame is the screen in the
// desktop's logical coordinates, where windows are placed.
struct screen_frame {
	BRect frame;
	BRect window_frame;
	char name[64];
};
std::vector<screen_frame> get_screen_frames();
// The box around every frame of get_screen_frames: the size of a picture for all screens.
BRect screens_bounds(const std::vector<screen_frame>& screens);

// The layer's desktop bridge receives desktop colour changes here.
typedef void (*desktop_color_receiver)(rgb_color color);
void register_desktop_color_receiver(desktop_color_receiver receiver);

#endif
