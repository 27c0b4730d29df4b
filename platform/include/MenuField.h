#ifndef _MENU_FIELD_H
#define _MENU_FIELD_H

#include <string>

#include <View.h>

class BMenu;

// A label and a pop-up menu, the menu starting at the divider; it shows the marked item's
// label when its menu takes the label from the marked item. It owns the menu.
class BMenuField : public BView {
public:
	BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	~BMenuField() override;

	BMenu* Menu() const { return fMenu; }
	const char* Label() const { return fLabel.c_str(); }
	void SetDivider(float position);
	float Divider() const { return fDivider; }
	void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }

private:
	std::string fLabel;
	BMenu* fMenu;
	float fDivider;
	bool fEnabled;
};

#endif
