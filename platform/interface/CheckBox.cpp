#include <CheckBox.h>

#include <QSignalBlocker>

#include "ControlPrivate.h"
#include "ViewPrivate.h"
#include "control_widgets.h"

namespace {

QWidget* create_check_box(BView* view, QWidget* parent)
{
	CaptionCheckBox* box = new CaptionCheckBox(parent);
	int32 token = view->Token();
	QObject::connect(box, &QAbstractButton::clicked, box, [token]() {
		BCheckBox* control = dynamic_cast<BCheckBox*>(BHandler::HandlerForToken(token));
		if (control == nullptr || !control->IsEnabled())
			return;
		control->SetValue(control->Value() == B_CONTROL_OFF ? B_CONTROL_ON : B_CONTROL_OFF);
		control->Invoke();
	});
	return box;
}

void sync_check_box(BView* view)
{
	BControl::Private::SyncEnabled(view);
	BCheckBox* control = static_cast<BCheckBox*>(view);
	CaptionCheckBox* box = static_cast<CaptionCheckBox*>(BView::Private::Widget(view));
	QSignalBlocker block(box);
	box->setCaption(QString::fromUtf8(control->Label()));
	box->setChecked(control->Value() != B_CONTROL_OFF);
}

const view_kind kCheckBoxKind = {create_check_box, sync_check_box};

}

BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
	BView::Private::SetKind(this, &kCheckBoxKind);
}

BCheckBox::~BCheckBox()
{
}
