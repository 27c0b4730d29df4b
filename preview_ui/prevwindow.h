#ifndef TEVRA_PREVWINDOW_H
#define TEVRA_PREVWINDOW_H

#include <Window.h>

class BScrollBar;
class preview;

// The window that shows the picture at real size and scrolls over it, or shows it whole,
// scaled to fit the screen.
class prevwindow : public BWindow {
public:
	prevwindow(BRect frame);

	bool QuitRequested() override;
	void FrameResized(float width, float height) override;
	void Zoom(BPoint origin, float width, float height) override;
	// On a screen of another pixel ratio the real size is another scale; the view goes back
	// to real size there.
	void ScreenChanged(BRect screenSize, color_space depth) override;

	// The size limits and the bars follow the picture's size as the view shows it; the
	// fitted view is fitted again.
	void picture_resized();

	preview* preview_view;
	BScrollBar* scroll_v;
	BScrollBar* scroll_h;

private:
	// Scales the whole picture into the screen's work area and puts the window there.
	void fit();
	void set_limits();

	// The frame that a Zoom from full size goes back to.
	BRect saved_frame;
	// Whether Zoom showed the whole picture (scaled or, if it fits, at real size).
	bool zoomed;
};

const float kScrollBarSize = 14;

#endif
