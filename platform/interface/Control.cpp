#include <Control.h>

#include <QWidget>

#include <Window.h>

#include "clock.h"

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), BInvoker(message, nullptr),
	fLabel(label != nullptr ? label : ""), fValue(B_CONTROL_OFF), fEnabled(true)
{
}

BControl::~BControl()
{
}

void BControl::AttachedToWindow()
{
	// As on Haiku, a control nobody aimed elsewhere reports to its window.
	if (!_HasTarget())
		SetTarget(Window());
}

void BControl::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	_SyncWidget();
}

void BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	_SyncWidget();
}

void BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	_SyncWidget();
}

status_t BControl::Invoke(BMessage* message)
{
	if (message == nullptr)
		message = Message();
	if (message == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", now_microseconds());
	copy.AddPointer("source", this);
	copy.AddInt32("be:value", fValue);
	return BInvoker::Invoke(&copy);
}

void BControl::_SyncWidget()
{
	if (_Widget() != nullptr)
		_Widget()->setEnabled(fEnabled);
}

void BControl::_WidgetCreated()
{
	BView::_WidgetCreated();
	_SyncWidget();
}
