#ifndef _TEXT_CONTROL_H
#define _TEXT_CONTROL_H

#include <Control.h>

// A label and a one-line text field, the field starting at the divider. It invokes when
// Enter is pressed, or when it loses the focus after an edit.
class BTextControl : public BControl {
public:
	BTextControl(BRect frame, const char* name, const char* label, const char* initialText,
		BMessage* message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	~BTextControl() override;

	void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }
	void SetDivider(float position);
	float Divider() const { return fDivider; }
	void SetAlignment(alignment label, alignment text);
	// Leaving the field commits a value being typed, as Haiku's does.
	void MakeFocus(bool focus = true) override;

	// The layer's own way in.
	class Private;

private:
	friend class Private;

	// The user changed the text (typing, before committing).
	void _TextEdited(const char* text);
	// Enter was pressed: always a commit.
	void _Commit();
	// The field lost the focus (or Enter was pressed): a commit if the text was edited.
	void _EditingFinished();

	std::string fText;
	// The text as last set or committed: typing is what differs from it.
	std::string fCommitted;
	float fDivider;
	bool fEdited;
	alignment fLabelAlignment;
	alignment fTextAlignment;
};

#endif
