#include <Alert.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

#include <Invoker.h>

#include "control_widgets.h"
#include "font_catalogue.h"
#include "window_widget.h"

namespace {

QMessageBox::Icon alert_icon(alert_type type)
{
	switch (type) {
		case B_INFO_ALERT:
		case B_IDEA_ALERT:
			return QMessageBox::Information;
		case B_WARNING_ALERT:
			return QMessageBox::Warning;
		case B_STOP_ALERT:
			return QMessageBox::Critical;
		default:
			return QMessageBox::NoIcon;
	}
}

// The box of an alert with its buttons in Haiku's order, the last the default one.
QMessageBox* make_box(const std::string& title, const std::string& text,
	const std::string (&labels)[3], alert_type type, int32 escape,
	QList<QAbstractButton*>* buttons)
{
	QMessageBox* box = new QMessageBox(alert_icon(type), shown_title(title.c_str()),
		QString::fromUtf8(text.c_str()));
	box->setTextFormat(Qt::PlainText);
	if (be_plain_font != nullptr)
		box->setFont(to_qfont(*be_plain_font, box));
	for (const std::string& label : labels) {
		if (label.empty())
			break;
		// One role for all keeps Haiku's order: the first button leftmost.
		buttons->append(box->addButton(literal_text(QString::fromUtf8(label.c_str())),
			QMessageBox::AcceptRole));
	}
	if (buttons->isEmpty())
		buttons->append(box->addButton(QMessageBox::Ok));
	box->setDefaultButton(static_cast<QPushButton*>(buttons->last()));
	if (escape >= 0 && escape < buttons->size())
		box->setEscapeButton(buttons->at(escape));
	return box;
}

}

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width, alert_type type)
	: fTitle(title != nullptr ? title : ""), fText(text != nullptr ? text : ""), fType(type),
	fEscapeButton(-1)
{
	const char* buttons[3] = {button0, button1, button2};
	for (int i = 0; i < 3; i++)
		fButtons[i] = buttons[i] != nullptr ? buttons[i] : "";
}

BAlert::~BAlert()
{
}

void BAlert::SetShortcut(int32 index, char key)
{
	if (key == B_ESCAPE)
		fEscapeButton = index;
}

int32 BAlert::Go()
{
	int32 result = -1;
	{
		QList<QAbstractButton*> buttons;
		std::unique_ptr<QMessageBox> box(make_box(fTitle, fText, fButtons, fType,
			fEscapeButton, &buttons));
		// Haiku's Go() holds up only its caller: every other window goes on taking input.
		QEventLoop loop;
		QObject::connect(box.get(), &QDialog::finished, &loop, &QEventLoop::quit);
		box->setWindowModality(Qt::NonModal);
		box->show();
		loop.exec();
		result = buttons.indexOf(box->clickedButton());
	}
	// Haiku's Go() deletes the alert when it returns.
	delete this;
	return result;
}

status_t BAlert::Go(BInvoker* invoker)
{
	QList<QAbstractButton*> buttons;
	QMessageBox* box = make_box(fTitle, fText, fButtons, fType, fEscapeButton, &buttons);
	box->setWindowModality(invoker != nullptr ? Qt::ApplicationModal : Qt::NonModal);
	box->setAttribute(Qt::WA_DeleteOnClose);
	QObject::connect(box, &QDialog::finished, box, [box, buttons, invoker]() {
		if (invoker != nullptr && invoker->Message() != nullptr) {
			BMessage answer(*invoker->Message());
			answer.AddInt32("which", buttons.indexOf(box->clickedButton()));
			invoker->Invoke(&answer);
		}
		delete invoker;
	});
	box->show();
	delete this;
	return B_OK;
}
