#include "config_ui/slider.h"

#include <cstdio>

#include <Messenger.h>

#include "shared_ui/messages.h"

slider::slider(BRect frame, const char* name, const char* label, BView* target, float min,
	float max, float value)
	: BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW), min(min), max(max), value(value),
	label(label), target(target), tracking(false), last_sent(value)
{
	float W = frame.Width(), H = frame.Height();
	bar.Set(label != nullptr ? 0.25f * W : 0.05f * W, H / 3, W - H, 2 * H / 3);
	setslider();
}

slider::~slider()
{
}

void slider::AttachedToWindow()
{
	SetViewColor(Parent()->ViewColor());
	SetHighColor(Parent()->HighColor());
	SetLowColor(Parent()->LowColor());
	SetFont(be_plain_font, B_FONT_ALL);
	SetFontSize(1.5f * bar.Height());
	if (label != nullptr)
		label_pos.Set(bar.left - StringWidth(label) - 3, 0.8f * bar.Height());
	value_pos.Set(bar.right + 3, bar.bottom);
}

void slider::setslider()
{
	float kw = bar.Height() - 2;
	// With min equal to max there is no track to move along: the knob rests at the start.
	float span = max - min;
	float fraction = span != 0 ? (value - min) / span : 0;
	knob.left = (bar.Width() - kw - 2) * fraction + bar.left + 1;
	knob.right = knob.left + kw;
	knob.top = bar.top + 1;
	knob.bottom = bar.bottom - 1;
}

void slider::SetValue(float v)
{
	value = v < min ? min : v > max ? max : v;
	setslider();
	Invalidate();
}

void slider::slidermoved(int x)
{
	float kw = knob.Width();
	float v = (x - kw / 2 - bar.left - 1) / (bar.Width() - kw - 2) * (max - min) + min;
	SetValue(v);
	if (value == last_sent)
		return;
	BMessage moved(kMsgSliderMoved);
	moved.AddPointer("source", this);
	moved.AddFloat("value", value);
	BMessenger(target).SendMessage(&moved, nullptr, B_INFINITE_TIMEOUT);
	last_sent = value;
}

void slider::MouseDown(BPoint where)
{
	if (!bar.Contains(where))
		return;
	tracking = true;
	slidermoved((int)where.x);
}

void slider::MouseMoved(BPoint, uint32, const BMessage*)
{
	BPoint position;
	uint32 buttons = 0;
	GetMouse(&position, &buttons, true);
	if (tracking && (buttons & B_PRIMARY_MOUSE_BUTTON))
		slidermoved((int)position.x);
}

void slider::MouseUp(BPoint)
{
	// A sweep from press to release is one change of the design.
	if (tracking) {
		BMessage released(kMsgSliderReleased);
		released.AddPointer("source", this);
		BMessenger(target).SendMessage(&released, nullptr, B_INFINITE_TIMEOUT);
	}
	tracking = false;
}

void slider::Draw(BRect)
{
	SetHighColor(0, 0, 0, 255);
	if (label != nullptr)
		DrawString(label, label_pos);
	char text[16];
	snprintf(text, sizeof(text), "%d", (int)value);
	DrawString(text, value_pos);
	SetHighColor(180, 180, 180, 255);
	FillRect(bar, B_SOLID_HIGH);
	SetHighColor(220, 220, 220, 255);
	FillRect(knob, B_SOLID_HIGH);
}
