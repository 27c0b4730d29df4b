#include <Alert.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>

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

}

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width, alert_type type)
	: fTitle(title != nullptr ? title : ""), fText(text != nullptr ? text : ""), fType(type)
{
	const char* buttons[3] = {button0, button1, button2};
	for (int i = 0; i < 3; i++)
		fButtons[i] = buttons[i] != nullptr ? buttons[i] : "";
}

BAlert::~BAlert()
{
}

int32 BAlert::Go()
{
	int32 result = -1;
	{
		QMessageBox box(alert_icon(fType), shown_title(fTitle.c_str()),
			QString::fromUtf8(fText.c_str()));
		box.setTextFormat(Qt::PlainText);
		if (be_plain_font != nullptr)
			box.setFont(to_qfont(*be_plain_font, &box));
		QList<QAbstractButton*> buttons;
		for (const std::string& label : fButtons) {
			if (label.empty())
				break;
			// One role for all keeps Haiku's order: the first button leftmost.
			buttons.append(box.addButton(literal_text(QString::fromUtf8(label.c_str())),
				QMessageBox::AcceptRole));
		}
		if (buttons.isEmpty())
			buttons.append(box.addButton(QMessageBox::Ok));
		// Haiku makes the last button the default one.
		box.setDefaultButton(static_cast<QPushButton*>(buttons.last()));
		// Haiku's Go() holds up only its caller: every other window goes on taking input.
		QEventLoop loop;
		QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
		box.setWindowModality(Qt::NonModal);
		box.show();
		loop.exec();
		result = buttons.indexOf(box.clickedButton());
	}
	// Haiku's Go() deletes the alert when it returns.
	delete this;
	return result;
}
