#include <TextControl.h>

#include <cmath>

#include <QLineEdit>
#include <QSignalBlocker>

#include "ControlPrivate.h"
#include "ViewPrivate.h"
#include "control_widgets.h"

// Makes and updates the control's Qt widgets.
class BTextControl::Private {
public:
	static QWidget* CreateWidget(BView* view, QWidget* parent);
	static void SyncWidget(BView* view);
};

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

const view_kind kTextControlKind = {BTextControl::Private::CreateWidget,
	BTextControl::Private::SyncWidget};

}

BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags),
	fText(initialText != nullptr ? initialText : ""),
	// Haiku's default: with a label, the field takes the right half.
	fDivider(label != nullptr ? std::floor(frame.Width() / 2) : 0), fEdited(false),
	fLabelAlignment(B_ALIGN_LEFT), fTextAlignment(B_ALIGN_LEFT)
{
	BView::Private::SetKind(this, &kTextControlKind);
}

BTextControl::~BTextControl()
{
}

void BTextControl::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
	// Text set by the program replaces the user's uncommitted edit and is no edit itself.
	fEdited = false;
	BView::Private::SyncWidget(this);
}

void BTextControl::SetDivider(float position)
{
	fDivider = position;
	BView::Private::SyncWidget(this);
}

void BTextControl::SetAlignment(alignment label, alignment text)
{
	fLabelAlignment = label;
	fTextAlignment = text;
	BView::Private::SyncWidget(this);
}

QWidget* BTextControl::Private::CreateWidget(BView* view, QWidget* parent)
{
	QLineEdit* edit = new QLineEdit();
	DividedWidget* widget = new DividedWidget(parent, edit);
	int32 token = view->Token();
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

void BTextControl::Private::SyncWidget(BView* view)
{
	BControl::Private::SyncEnabled(view);
	BTextControl* control = static_cast<BTextControl*>(view);
	DividedWidget* widget = static_cast<DividedWidget*>(BView::Private::Widget(view));
	widget->label()->setCaption(QString::fromUtf8(control->Label()));
	widget->label()->setAlignment(qt_alignment(control->fLabelAlignment));
	widget->setDivider((int)control->fDivider);
	QLineEdit* edit = static_cast<QLineEdit*>(widget->field());
	edit->setAlignment(qt_alignment(control->fTextAlignment));
	QString text = QString::fromUtf8(control->fText.c_str());
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
