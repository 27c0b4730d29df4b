#ifndef _CONTROL_H
#define _CONTROL_H

#include <string>

#include <Invoker.h>
#include <View.h>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
};

// A view the user operates; each use sends its message with "when", "source" and
// "be:value" added.
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	~BControl() override;

	void AttachedToWindow() override;
	virtual void SetLabel(const char* label);
	const char* Label() const { return fLabel.c_str(); }
	virtual void SetValue(int32 value);
	int32 Value() const { return fValue; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }
	status_t Invoke(BMessage* message = nullptr) override;

	// The layer's own way in, for its other classes and its tests.
	class Private;

protected:
	std::string fLabel;
	int32 fValue;
	bool fEnabled;
};

#endif
