#include <TextControl.h>

#include <cmath>

#include <QKeyEvent>
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
	static bool Edited(const BTextControl* control) { return control->fEdited; }
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

// The field of a text control. Ctrl+Z and its redo keys belong to the field only while it
// holds typing not yet committed; otherwise they go on to the window's own shortcuts.
class FieldEdit : public QLineEdit {
public:
	// A file dropped on a field is meant for the window around it, not its text.
	explicit FieldEdit(int32 token) : fToken(token) { setAcceptDrops(false); }

protected:
	bool event(QEvent* event) override
	{
		if (event->type() == QEvent::ShortcutOverride) {
			QKeyEvent* key = static_cast<QKeyEvent*>(event);
			bool undo = key->matches(QKeySequence::Undo);
			bool redo = key->matches(QKeySequence::Redo);
			if (undo || redo) {
				BTextControl* control = text_control(fToken);
				bool typing = control != nullptr && BTextControl::Private::Edited(control);
				if (!typing || !(undo ? isUndoAvailable() : isRedoAvailable())) {
					event->ignore();
					return true;
				}
			}
		}
		return QLineEdit::event(event);
	}

private:
	int32 fToken;
};

const view_kind kTextControlKind = {BTextControl::Private::CreateWidget,
	BTextControl::Private::SyncWidget};

}

BTextControl::BTextControl(BRect frame, const char* name, const char* label,
	const char* initialText, BMessage* message, uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags),
	fText(initialText != nullptr ? initialText : ""), fCommitted(fText),
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
	fCommitted = fText;
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
	int32 token = view->Token();
	QLineEdit* edit = new FieldEdit(token);
	DividedWidget* widget = new DividedWidget(parent, edit);
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

void BTextControl::MakeFocus(bool focus)
{
	if (!focus && fEdited)
		_Commit();
	BControl::MakeFocus(focus);
}

void BTextControl::_TextEdited(const char* text)
{
	fText = text != nullptr ? text : "";
	// Typing that comes back to the value last committed (by the field's own undo) is none.
	fEdited = fText != fCommitted;
}

void BTextControl::_Commit()
{
	fEdited = false;
	fCommitted = fText;
	if (IsEnabled())
		Invoke();
}

void BTextControl::_EditingFinished()
{
	if (fEdited)
		_Commit();
}
