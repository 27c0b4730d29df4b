#include <CheckBox.h>

#include <QSignalBlocker>

#include "control_widgets.h"

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
}

BCheckBox::~BCheckBox()
{
}

QWidget* BCheckBox::_CreateWidget(QWidget* parent)
{
	CaptionCheckBox* box = new CaptionCheckBox(parent);
	int32 token = Token();
	QObject::connect(box, &QAbstractButton::clicked, box, [token]() {
		BCheckBox* control = dynamic_cast<BCheckBox*>(BHandler::HandlerForToken(token));
		if (control == nullptr || !control->IsEnabled())
			return;
		control->SetValue(control->Value() == B_CONTROL_OFF ? B_CONTROL_ON : B_CONTROL_OFF);
		control->Invoke();
	});
	return box;
}

void BCheckBox::_SyncWidget()
{
	BControl::_SyncWidget();
	CaptionCheckBox* box = static_cast<CaptionCheckBox*>(_Widget());
	if (box == nullptr)
		return;
	QSignalBlocker block(box);
	box->setCaption(QString::fromUtf8(Label()));
	box->setChecked(Value() != B_CONTROL_OFF);
}
