#ifndef _SCROLL_BAR_H
#define _SCROLL_BAR_H

#include <View.h>

#define B_V_SCROLL_BAR_WIDTH 14.0f
#define B_H_SCROLL_BAR_HEIGHT 14.0f

// Scrolls its target view: the value is the target's scroll offset along the bar.
class BScrollBar : public BView {
public:
	BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
		orientation direction);
	~BScrollBar() override;

	virtual void ValueChanged(float newValue);

	void SetValue(float value);
	float Value() const { return fValue; }
	void SetRange(float min, float max);
	void GetRange(float* min, float* max) const;
	void SetProportion(float proportion);
	float Proportion() const { return fProportion; }
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;
	void SetTarget(BView* target);
	BView* Target() const { return fTarget; }
	orientation Orientation() const { return fOrientation; }

	// The layer's own way in.
	class Private;

private:
	friend class Private;

	void _Sync();

	BView* fTarget;
	orientation fOrientation;
	float fMin;
	float fMax;
	float fValue;
	float fProportion;
	float fSmallStep;
	float fLargeStep;
};

#endif
