#include "config_ui/rgbslider.h"

#include <cmath>
#include <cstdio>

#include <Messenger.h>

#include "shared_ui/messages.h"

namespace {

// Bit positions of red, green, blue and alpha in 0xAARRGGBB.
const int kShift[4] = {16, 8, 0, 24};

uint8 channel_of(uint32 argb, int index)
{
	return (argb >> kShift[index]) & 0xff;
}

// The digits beside the bars are as small as the bars are thin; the tool tip shows each
// channel legibly, in hex and decimal, and the whole value as its text field writes it.
void show_values(rgbslider* control)
{
	static const char* const kNames[4] = {"red", "green", "blue", "alpha"};
	char text[160];
	int length = 0;
	for (int i = 0; i < (control->has_alpha ? 4 : 3); i++) {
		uint8 c = channel_of(control->argb, i);
		length += snprintf(text + length, sizeof(text) - length, "%s %02x (%d)\n", kNames[i],
			c, c);
	}
	snprintf(text + length, sizeof(text) - length, control->has_alpha ? "%08x" : "%06x",
		(unsigned)control->argb);
	control->SetToolTip(text);
}

}

rgbslider::rgbslider(BRect frame, const char* name, const char* label, BView* target,
	bool alpha, uint32 value)
	: BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW), has_alpha(alpha), argb(value),
	label(label), target(target), channel(0), last_sent(value)
{
	float W = frame.Width(), H = frame.Height();
	float left = label != nullptr ? 0.25f * W : 0.05f * W;
	float right = W - H;
	area.Set(left, H / 3, right, 2 * H / 3);
	if (has_alpha) {
		bars[0].Set(left, 0, right, 0.25f * H);
		bars[1].Set(left, 0.25f * H, right, 0.5f * H);
		bars[2].Set(left, 0.5f * H, right, 0.75f * H);
		bars[3].Set(left, 0.75f * H, right, H);
	} else {
		// The bars overlap a little: a press on the seam drags the lower one.
		bars[0].Set(left, 0, right, H / 3);
		bars[1].Set(left, 0.33f * H, right, 0.66f * H);
		bars[2].Set(left, 0.66f * H, right, H);
	}
	setslider();
	show_values(this);
}

rgbslider::~rgbslider()
{
}

void rgbslider::AttachedToWindow()
{
	SetViewColor(Parent()->ViewColor());
	SetHighColor(Parent()->HighColor());
	SetLowColor(Parent()->LowColor());
	SetFont(be_plain_font, B_FONT_ALL);
	if (label != nullptr)
		label_pos.Set(area.left - StringWidth(label) - 3, 0.8f * area.Height());
	// On whole pixels, so that rows of digits as tall as their bars keep a pixel apart.
	for (int i = 0; i < (has_alpha ? 4 : 3); i++)
		text_pos[i].Set(bars[i].right + 3, std::floor(bars[i].bottom));
}

void rgbslider::setslider()
{
	float kw = area.Height() - 2;
	for (int i = 0; i < (has_alpha ? 4 : 3); i++) {
		knobs[i].left = (area.Width() - kw - 2) * channel_of(argb, i) / 255 + bars[i].left + 1;
		knobs[i].right = knobs[i].left + kw;
		knobs[i].top = bars[i].top + 1;
		knobs[i].bottom = bars[i].bottom - 1;
	}
}

void rgbslider::SetValue(uint32 v)
{
	if (!has_alpha)
		v &= 0x00ffffff;
	argb = v;
	setslider();
	Invalidate();
	last_sent = argb;
	show_values(this);
}

void rgbslider::slidermoved(int x)
{
	if (channel < 1 || channel > 4)
		return;
	const BRect& b = bars[channel - 1];
	float kw = knobs[0].Width();
	float v = (x - kw / 2 - b.left - 1) / (b.Width() - kw - 2) * 255;
	v = v < 0 ? 0 : v > 255 ? 255 : v;
	int shift = kShift[channel - 1];
	uint32 n = (last_sent & ~(0xffu << shift)) | ((uint32)(uint8)(int)v << shift);
	if (!has_alpha)
		n &= 0x00ffffff;
	if (n == last_sent)
		return;
	BMessage moved(kMsgSliderMoved);
	moved.AddPointer("source", this);
	moved.AddInt32("argb", (int32)n);
	BMessenger(target).SendMessage(&moved, nullptr, B_INFINITE_TIMEOUT);
	SetValue(n);
}

void rgbslider::MouseDown(BPoint where)
{
	channel = 0;
	for (int i = 0; i < (has_alpha ? 4 : 3); i++) {
		if (bars[i].Contains(where))
			channel = i + 1;
	}
	if (channel != 0)
		slidermoved((int)where.x);
}

void rgbslider::MouseMoved(BPoint, uint32, const BMessage*)
{
	BPoint position;
	uint32 buttons = 0;
	GetMouse(&position, &buttons, true);
	if (channel != 0 && (buttons & B_PRIMARY_MOUSE_BUTTON))
		slidermoved((int)position.x);
}

void rgbslider::MouseUp(BPoint)
{
	// A sweep from press to release is one change of the design.
	if (channel != 0) {
		BMessage released(kMsgSliderReleased);
		released.AddPointer("source", this);
		BMessenger(target).SendMessage(&released, nullptr, B_INFINITE_TIMEOUT);
	}
	channel = 0;
}

void rgbslider::Draw(BRect)
{
	static const rgb_color kBarColors[3] = {{120, 0, 0, 255}, {0, 120, 0, 255},
		{0, 0, 120, 255}};
	static const rgb_color kKnobColors[3] = {{255, 0, 0, 255}, {0, 255, 0, 255},
		{0, 0, 255, 255}};
	char text[8];

	SetHighColor(0, 0, 0, 255);
	if (label != nullptr) {
		SetFontSize(1.5f * area.Height());
		DrawString(label, label_pos);
	}
	SetFontSize(bars[0].Height() + 1);
	for (int i = 0; i < 3; i++) {
		snprintf(text, sizeof(text), "%02x", channel_of(argb, i));
		DrawString(text, text_pos[i]);
	}
	for (int i = 0; i < 3; i++) {
		SetHighColor(kBarColors[i]);
		FillRect(bars[i], B_SOLID_HIGH);
	}
	for (int i = 0; i < 3; i++) {
		SetHighColor(kKnobColors[i]);
		FillRect(knobs[i], B_SOLID_HIGH);
	}
	if (has_alpha) {
		// Still in the blue knob's colour, as the alpha text has always been drawn.
		snprintf(text, sizeof(text), "%02x", channel_of(argb, 3));
		DrawString(text, text_pos[3]);
		SetHighColor(150, 150, 150, 255);
		FillRect(bars[3], B_SOLID_HIGH);
		SetHighColor(255, 255, 255, 255);
		FillRect(knobs[3], B_SOLID_HIGH);
	}
}
