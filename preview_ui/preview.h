#ifndef TEVRA_PREVIEW_H
#define TEVRA_PREVIEW_H

#include <View.h>

class BBitmap;
class tevraview;

// Shows the picture at its real size or scaled to fit, lets the mouse select, move and resize
// calendars, and carries out the panel's requests.
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

	// The picture's pixels per logical pixel of the screen: the screen's pixel ratio at real
	// size (one picture pixel on one device pixel), more when the whole picture is fitted in.
	float scale() const { return view_scale; }
	// The scale at which the picture shows at its real size on this screen.
	float real_scale() const;
	void set_scale(float picture_scale);
	// The picture's size in the view's logical pixels at the scale.
	BRect shown_bounds() const;
	// A point of the view as a point of the picture, and a rectangle of the picture as the
	// view's pixels that show it.
	BPoint picture_point(BPoint where) const;
	BRect on_screen(BRect rect) const;

	tevraview* calview;
	int32 drag_mode;
	// In the picture's coordinates.
	BPoint press_point;
	// Whether the pressed mouse has moved the frame at all.
	bool moved;

private:
	// The picture as the screen shows it: a scaled copy, made again with each composition.
	void update_shown();
	// Draws what belongs in area of the view but the handles: the picture, the screens' edges
	// and the outline of a calendar being dragged.
	void paint_picture(BRect area);
	// The dragged calendar's outline, shown or taken off (the picture drawn again under it).
	void show_outline(BRect rect);
	void hide_outline();
	// Draws the part of the outline that lies in area.
	void draw_outline(BRect area);

	float view_scale;
	BBitmap* shown;
	// Where the dragged calendar's outline is on the view; invalid while none shows.
	BRect outline;
	// Where the handles on the screen were drawn, in the view's pixels.
	BRect handles_at;
};

// The square of a handle centred on a corner at x, y of the view: seven pixels of the screen
// at every scale.
BRect handle_rect(float x, float y);

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
