#include <Button.h>

#include <QPushButton>

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
}

BButton::~BButton()
{
}

QWidget* BButton::_CreateWidget(QWidget* parent)
{
	QPushButton* button = new QPushButton(parent);
	button->setAutoDefault(false);
	int32 token = Token();
	QObject::connect(button, &QPushButton::clicked, button, [token]() {
		BButton* control = dynamic_cast<BButton*>(BHandler::HandlerForToken(token));
		if (control != nullptr && control->IsEnabled())
			control->Invoke();
	});
	return button;
}

void BButton::_SyncWidget()
{
	BControl::_SyncWidget();
	QPushButton* button = static_cast<QPushButton*>(_Widget());
	if (button == nullptr)
		return;
	// Qt would read '&' as a shortcut mark.
	button->setText(QString::fromUtf8(Label()).replace('&', "&&"));
}
