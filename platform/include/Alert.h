#ifndef _ALERT_H
#define _ALERT_H

#include <string>

#include <Window.h>

enum button_width {
	B_WIDTH_AS_USUAL,
	B_WIDTH_FROM_WIDEST,
	B_WIDTH_FROM_LABEL,
};

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT,
};

// A message box. Go() shows it and waits for a button; it deletes itself.
class BAlert {
public:
	BAlert(const char* title, const char* text, const char* button0,
		const char* button1 = nullptr, const char* button2 = nullptr,
		button_width width = B_WIDTH_AS_USUAL, alert_type type = B_INFO_ALERT);
	~BAlert();

	int32 Go();
	// Shows the alert and returns at once; the chosen button's index comes to the invoker's
	// target as "which" in a copy of its message (-1 when the alert was closed otherwise).
	// An alert that asks (with an invoker) is modal to the application, as Haiku's are; one
	// that only tells (none) leaves the windows working. It takes the invoker.
	status_t Go(class BInvoker* invoker);
	// The key that also presses a button: B_ESCAPE for the one that cancels.
	void SetShortcut(int32 index, char key);
	const char* Text() const { return fText.c_str(); }

private:
	std::string fTitle;
	std::string fText;
	std::string fButtons[3];
	alert_type fType;
	int32 fEscapeButton;
};

#endif
