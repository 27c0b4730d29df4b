#include <Control.h>

#include <QWidget>

#include <Window.h>

#include "../app/InvokerPrivate.h"
#include "ControlPrivate.h"
#include "ViewPrivate.h"
#include "clock.h"

namespace {

const view_kind kControlKind = {BView::Private::CreateCanvas, BControl::Private::SyncEnabled};

}

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), BInvoker(message, nullptr),
	fLabel(label != nullptr ? label : ""), fValue(B_CONTROL_OFF), fEnabled(true)
{
	BView::Private::SetKind(this, &kControlKind);
}

BControl::~BControl()
{
}

void BControl::AttachedToWindow()
{
	// As on Haiku, a control nobody aimed elsewhere reports to its window.
	if (!BInvoker::Private::HasTarget(this))
		SetTarget(Window());
}

void BControl::SetLabel(const char* label)
{
	fLabel = label != nullptr ? label : "";
	BView::Private::SyncWidget(this);
}

void BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	BView::Private::SyncWidget(this);
}

void BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	BView::Private::SyncWidget(this);
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

void BControl::Private::SyncEnabled(BView* view)
{
	BControl* control = static_cast<BControl*>(view);
	if (QWidget* widget = BView::Private::Widget(view))
		widget->setEnabled(control->IsEnabled());
}
