#ifndef TEVRA_RGBSLIDER_H
#define TEVRA_RGBSLIDER_H

#include <View.h>

// A colour as three channel bars (red, green, blue) and optionally an alpha bar; a drag
// that changes it reports 'Smov' with "source" and "argb" to the target, its release 'Sdon'.
class rgbslider : public BView {
public:
	rgbslider(BRect frame, const char* name, const char* label, BView* target, bool alpha,
		uint32 value);
	~rgbslider() override;

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseUp(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;

	// Without the alpha bar the alpha byte is dropped; never reports.
	void SetValue(uint32 v);
	uint32 Value() const { return argb; }
	void setslider();
	void slidermoved(int x);

	bool has_alpha;
	uint32 argb;
	const char* label;
	BRect area;
	BRect bars[4];
	BRect knobs[4];
	BPoint label_pos;
	BPoint text_pos[4];
	BView* target;
	int8 channel;
	uint32 last_sent;
};

#endif
