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

	// The size limits and the bars follow the picture's size as the view shows it.
	void picture_resized();

	preview* preview_view;
	BScrollBar* scroll_v;
	BScrollBar* scroll_h;

private:
	// The frame that a Zoom from full size goes back to.
	BRect saved_frame;
};

const float kScrollBarSize = 14;

#endif
