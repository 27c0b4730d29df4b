#include <RadioButton.h>

#include <QSignalBlocker>

#include "ControlPrivate.h"
#include "ViewPrivate.h"
#include "control_widgets.h"

namespace {

QWidget* create_radio_button(BView* view, QWidget* parent)
{
	CaptionRadioButton* button = new CaptionRadioButton(parent);
	int32 token = view->Token();
	QObject::connect(button, &QAbstractButton::clicked, button, [token]() {
		BRadioButton* control = dynamic_cast<BRadioButton*>(BHandler::HandlerForToken(token));
		if (control == nullptr || !control->IsEnabled())
			return;
		// A click on a button already on still invokes, as on Haiku.
		control->SetValue(B_CONTROL_ON);
		control->Invoke();
	});
	return button;
}

void sync_radio_button(BView* view)
{
	BControl::Private::SyncEnabled(view);
	BRadioButton* control = static_cast<BRadioButton*>(view);
	CaptionRadioButton* button = static_cast<CaptionRadioButton*>(BView::Private::Widget(view));
	QSignalBlocker block(button);
	button->setCaption(QString::fromUtf8(control->Label()));
	button->setChecked(control->Value() != B_CONTROL_OFF);
}

const view_kind kRadioButtonKind = {create_radio_button, sync_radio_button};

}

BRadioButton::BRadioButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
	BView::Private::SetKind(this, &kRadioButtonKind);
}

BRadioButton::~BRadioButton()
{
}

// Turning one on turns off every other radio button of the same parent, without invoking
// them; only the user's click invokes, and only the clicked button.
void BRadioButton::SetValue(int32 value)
{
	BControl::SetValue(value);
	if (value == B_CONTROL_OFF || Parent() == nullptr)
		return;
	for (int32 i = 0; i < Parent()->CountChildren(); i++) {
		BRadioButton* sibling = dynamic_cast<BRadioButton*>(Parent()->ChildAt(i));
		if (sibling != nullptr && sibling != this && sibling->Value() != B_CONTROL_OFF)
			sibling->SetValue(B_CONTROL_OFF);
	}
}
