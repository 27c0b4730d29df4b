#ifndef _VIEW_H
#define _VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <List.h>
#include <Rect.h>

class BBitmap;
class BMessage;
class BWindow;

// Where the pointer went, for MouseMoved.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW,
};

enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL,
	B_SUBPIXEL_PRECISE = 0x01000000UL,
};

// A drawing surface with its own state (colours, mode, pen, font). It draws into the bitmap
// it is attached to, or into the retained canvas of its window.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	~BView() override;

	virtual void AttachedToWindow();
	virtual void DetachedFromWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	// A key pressed while the view has the focus: its character in UTF-8, or one of the B_
	// key codes; modifiers() tells Shift and the others. What a view leaves to this one goes
	// on as it would without the view (Tab moves the focus).
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void FrameResized(float newWidth, float newHeight);
	void MessageReceived(BMessage* message) override;

	void SetHighColor(rgb_color color);
	void SetHighColor(uchar r, uchar g, uchar b, uchar a = 255);
	void SetLowColor(rgb_color color);
	void SetLowColor(uchar r, uchar g, uchar b, uchar a = 255);
	virtual void SetViewColor(rgb_color color);
	void SetViewColor(uchar r, uchar g, uchar b, uchar a = 255);
	rgb_color HighColor() const { return fHighColor; }
	rgb_color LowColor() const { return fLowColor; }
	rgb_color ViewColor() const { return fViewColor; }
	void SetDrawingMode(drawing_mode mode) { fDrawingMode = mode; }
	drawing_mode DrawingMode() const { return fDrawingMode; }
	void SetPenSize(float size) { fPenSize = size; }
	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const { *font = fFont; }
	void SetFontSize(float size);
	float StringWidth(const char* string) const { return fFont.StringWidth(string); }

	void FillRect(BRect rect, pattern p = B_SOLID_HIGH);
	void FillRoundRect(BRect rect, float xRadius, float yRadius, pattern p = B_SOLID_HIGH);
	void FillEllipse(BRect rect, pattern p = B_SOLID_HIGH);
	void StrokeEllipse(BRect rect, pattern p = B_SOLID_HIGH);
	void DrawString(const char* string, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);
	void Sync();
	// A text the window system shows while the pointer rests on the view.
	void SetToolTip(const char* text);

	void Invalidate();
	void Invalidate(BRect rect);

	BRect Bounds() const;
	BRect Frame() const { return fFrame; }
	void MoveTo(float x, float y);
	void MoveTo(BPoint where) { MoveTo(where.x, where.y); }
	void ResizeTo(float width, float height);
	void ScrollTo(float x, float y);
	void ScrollTo(BPoint where) { ScrollTo(where.x, where.y); }
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);
	virtual void Hide();
	virtual void Show();
	bool IsHidden() const;
	virtual void MakeFocus(bool focus = true);
	void SetFlags(uint32 flags) { fFlags = flags; }
	void SetResizingMode(uint32 mode) { fResizingMode = mode; }
	BView* Parent() const { return fParent; }
	BWindow* Window() const { return fWindow; }
	uint32 ResizingMode() const { return fResizingMode; }
	uint32 Flags() const { return fFlags; }
	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const { return fChildren.CountItems(); }
	BView* ChildAt(int32 index) const { return (BView*)fChildren.ItemAt(index); }
	BView* FindView(const char* name) const;

	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;
	// What the view holds of Qt: its widget, painter and canvas.
	struct Data;

	void _EndDrawing();
	void _Drawn();
	void _FontChanged();
	void _DetachFromWindow();
	void _ParentResized(float dw, float dh);
	void _Redraw(BRect area);
	void _CanvasResized();
	void _FlushInvalid();

	BRect fFrame;
	uint32 fResizingMode;
	uint32 fFlags;
	rgb_color fHighColor;
	rgb_color fLowColor;
	rgb_color fViewColor;
	drawing_mode fDrawingMode;
	float fPenSize;
	BFont fFont;
	BView* fParent;
	BWindow* fWindow;
	BList fChildren;
	BBitmap* fBitmap;
	Data* fData;
	BPoint fOrigin;
	BRect fClip;
	bool fClipping;
	bool fHidden;
	BRect fInvalid;
	bool fInvalidPending;
	BPoint fMouseWhere;
	uint32 fMouseButtons;
};

#endif
