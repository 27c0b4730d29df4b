#include <TextControl.h>

#include <cmath>

#include <QLineEdit>
#include <QSignalBlocker>

#include "control_widgets.h"

namespace {

Qt::Alignment qt_alignment(alignment flag)
{
	Qt::Alignment horizontal = flag == B_ALIGN_RIGHT ? Qt::AlignRight
		: flag == B_ALIGN_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
	return horizontal | Qt::AlignVCenter;
}

BTextControl* text_control(int32 token)
{
	return dynamic_cast<BTextControl*>(BHandler::HandlerForToken(token));
}

}

BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags),
	fText(initialText != nullptr ? initialText : ""),
	// Haiku's default: with a label, the field takes the right half.
	fDivider(label != nullptr ? std::floor(frame.Width() / 2) : 0), fEdited(false),
	fLabelAlignment(B_ALIGN_LEFT), fTextAlignment(B_ALIGN_LEFT)
{
}

BTextControl::~BTextControl()
{
}

void BTextControl::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
	// Text set by the program replaces the user's uncommitted edit and is no edit itself.
	fEdited = false;
	_SyncWidget();
}

void BTextControl::SetDivider(float position)
{
	fDivider = position;
	_SyncWidget();
}

void BTextControl::SetAlignment(alignment label, alignment text)
{
	fLabelAlignment = label;
	fTextAlignment = text;
	_SyncWidget();
}

QWidget* BTextControl::_CreateWidget(QWidget* parent)
{
	QLineEdit* edit = new QLineEdit();
	DividedWidget* widget = new DividedWidget(parent, edit);
	int32 token = Token();
	QObject::connect(edit, &QLineEdit::textEdited, edit, [token](const QString& text) {
		if (BTextControl* control = text_control(token))
			control->_TextEdited(text.toUtf8().constData());
	});
	// Enter gives returnPressed and then editingFinished; the first commits and clears the
	// edit, so the second finds nothing left to commit.
	QObject::connect(edit, &QLineEdit::returnPressed, edit, [token]() {
		if (BTextControl* control = text_control(token))
			control->_Commit();
	});
	QObject::connect(edit, &QLineEdit::editingFinished, edit, [token]() {
		if (BTextControl* control = text_control(token))
			control->_EditingFinished();
	});
	return widget;
}

void BTextControl::_SyncWidget()
{
	BControl::_SyncWidget();
	DividedWidget* widget = static_cast<DividedWidget*>(_Widget());
	if (widget == nullptr)
		return;
	widget->label()->setCaption(QString::fromUtf8(Label()));
	widget->label()->setAlignment(qt_alignment(fLabelAlignment));
	widget->setDivider((int)fDivider);
	QLineEdit* edit = static_cast<QLineEdit*>(widget->field());
	edit->setAlignment(qt_alignment(fTextAlignment));
	QString text = QString::fromUtf8(fText.c_str());
	// Setting the same text again would move the cursor under the user's hands.
	if (edit->text() != text) {
		QSignalBlocker block(edit);
		edit->setText(text);
	}
}

void BTextControl::_TextEdited(const char* text)
{
	fText = text != nullptr ? text : "";
	fEdited = true;
}

void BTextControl::_Commit()
{
	fEdited = false;
	if (IsEnabled())
		Invoke();
}

void BTextControl::_EditingFinished()
{
	if (fEdited)
		_Commit();
}
