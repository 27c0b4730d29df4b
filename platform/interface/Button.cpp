#include <Button.h>

#include <QPushButton>

#include "ControlPrivate.h"
#include "control_widgets.h"
#include "ViewPrivate.h"

namespace {

QWidget* create_button(BView* view, QWidget* parent)
{
	QPushButton* button = new QPushButton(parent);
	button->setAutoDefault(false);
	int32 token = view->Token();
	QObject::connect(button, &QPushButton::clicked, button, [token]() {
		BButton* control = dynamic_cast<BButton*>(BHandler::HandlerForToken(token));
		if (control != nullptr && control->IsEnabled())
			control->Invoke();
	});
	return button;
}

void sync_button(BView* view)
{
	BControl::Private::SyncEnabled(view);
	QPushButton* button = static_cast<QPushButton*>(BView::Private::Widget(view));
	button->setText(literal_text(QString::fromUtf8(static_cast<BButton*>(view)->Label())));
}

const view_kind kButtonKind = {create_button, sync_button};

}

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
	BView::Private::SetKind(this, &kButtonKind);
}

BButton::~BButton()
{
}
