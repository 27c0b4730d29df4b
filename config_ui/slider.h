#ifndef TEVRA_SLIDER_H
#define TEVRA_SLIDER_H

#include <View.h>

// A value between min and max on a track; a drag that changes it reports 'Smov' with
// "source" and "value" to the target, and its release 'Sdon' with "source".
class slider : public BView {
public:
	slider(BRect frame, const char* name, const char* label, BView* target, float min,
		float max, float value);
	~slider() override;

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseUp(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;

	// Clamps, moves the knob and redraws; never reports.
	void SetValue(float v);
	float Value() const { return value; }
	void setslider();
	void slidermoved(int x);

	float min;
	float max;
	float value;
	const char* label;
	BRect bar;
	BRect knob;
	BPoint label_pos;
	BPoint value_pos;
	BView* target;
	bool tracking;
	float last_sent;
};

#endif
