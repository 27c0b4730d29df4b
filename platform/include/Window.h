#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <List.h>
#include <Looper.h>
#include <Rect.h>

class BView;

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// A top-level window. Its frame is the content area in screen coordinates; its views draw
// into canvases that keep what was drawn until it is drawn over.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	~BWindow() override;

	virtual void FrameResized(float newWidth, float newHeight);
	virtual void FrameMoved(BPoint newPosition);
	virtual void Zoom(BPoint origin, float width, float height);
	// The window is now on another screen, or its screen changed its size or pixel ratio.
	virtual void ScreenChanged(BRect screenSize, color_space depth);
	// A menu of the window's menu bar is about to open: the moment to bring its items up to date.
	virtual void MenusBeginning();
	void DispatchMessage(BMessage* message, BHandler* handler) override;
	bool QuitRequested() override;
	void Quit() override;

	void Show();
	void Hide();
	bool IsHidden() const;
	void Activate(bool active = true);
	void Zoom();
	void AddChild(BView* view, BView* before = nullptr);
	bool RemoveChild(BView* view);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;

	BRect Frame() const;
	// The frame with the border and tab the window manager put around it.
	BRect DecoratorFrame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void ResizeTo(float width, float height);
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
		float* maxHeight) const;
	void SetTitle(const char* title);
	const char* Title() const;
	// A key that sends message to target while the window is active, with B_COMMAND_KEY and
	// the other modifiers given; the window owns the message.
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target);
	// The view that has the keyboard focus in this window, or null.
	BView* CurrentFocus() const;
	window_type Type() const { return fType; }
	uint32 Flags() const { return fFlags; }


	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;
	// What the window holds of Qt: its top-level widget.
	struct Data;

	// A window over a Qt top-level made elsewhere (a file dialog); it holds no views and is
	// not one of the application's windows.
	BWindow(Data* adopted, const char* title);

	Data* fData;
	bool fAdopted;
	BView* fRoot;
	window_type fType;
	uint32 fFlags;
	BRect fMinMax;
};

#endif
