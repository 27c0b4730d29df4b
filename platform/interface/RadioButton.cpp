#include <RadioButton.h>

#include <QSignalBlocker>

#include "control_widgets.h"

BRadioButton::BRadioButton(BRect frame, const char* name, const char* label,
	BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
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

QWidget* BRadioButton::_CreateWidget(QWidget* parent)
{
	CaptionRadioButton* button = new CaptionRadioButton(parent);
	int32 token = Token();
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

void BRadioButton::_SyncWidget()
{
	BControl::_SyncWidget();
	CaptionRadioButton* button = static_cast<CaptionRadioButton*>(_Widget());
	if (button == nullptr)
		return;
	QSignalBlocker block(button);
	button->setCaption(QString::fromUtf8(Label()));
	button->setChecked(Value() != B_CONTROL_OFF);
}
