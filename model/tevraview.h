#ifndef TEVRA_TEVRAVIEW_H
#define TEVRA_TEVRAVIEW_H

#include <Entry.h>
#include <View.h>

class BBitmap;

// The calendar view: owns the screen-sized picture and composes it from the design. It is
// never placed in a window; it draws into its own bitmap.
class tevraview : public BView {
public:
	tevraview(BRect frame);
	~tevraview() override;

	// Empties the object list and puts every setting back to its default.
	void clr_obj();

	BBitmap* wallbmp;
	BBitmap* baseimg;
};

#endif
