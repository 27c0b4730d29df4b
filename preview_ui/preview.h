#ifndef TEVRA_PREVIEW_H
#define TEVRA_PREVIEW_H

#include <View.h>

class tevraview;

// Shows the picture at its real size, lets the mouse select, move and resize calendars,
// and carries out the panel's requests.
class preview : public BView {
public:
	preview(BRect frame);
	~preview() override;

	void MessageReceived(BMessage* message) override;
	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseUp(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void KeyDown(const char* bytes, int32 numBytes) override;

	// Draws the handles that should show, remembering them as the ones on the screen.
	void drawframe();
	// Takes the handles on the screen off again (they are drawn inverted).
	void eraseframe();
	// Files dropped on either window ("refs" of a B_SIMPLE_DATA message).
	void take_drop(const BMessage* message);
	// Undo (back) or redo one step of the edit history.
	void step_history(bool back);

	tevraview* calview;
	int32 drag_mode;
	BPoint press_point;
	// Whether the pressed mouse has moved the frame at all.
	bool moved;
};

// Tells the configuration panel which object to edit, -1 for the base settings.
void request_edit(int32 index);

// What a press does to the selected object.
enum {
	kDragNone = 0,
	kDragMove = -1,
	kDragLeftTop = 1,
	kDragRightTop = 2,
	kDragLeftBottom = 3,
	kDragRightBottom = 4,
};

#endif
