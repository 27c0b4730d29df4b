#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <Alert.h>
#include <Button.h>
#include <CheckBox.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>
#include <Window.h>

#include "platform/interface/MenuItemPrivate.h"
#include "platform/interface/MenuPrivate.h"
#include "platform/interface/ViewPrivate.h"
#include "platform/interface/WindowPrivate.h"
#include "platform/interface/clock.h"
#include "tests/support/shown_alert.h"

namespace {

// Keeps a copy of every message it is sent.
class recorder : public BHandler {
public:
	recorder() : BHandler("recorder") {}
	void MessageReceived(BMessage* message) override { messages.push_back(*message); }
	std::vector<BMessage> messages;
};

void* source_of(const BMessage& message)
{
	void* source = nullptr;
	message.FindPointer("source", &source);
	return source;
}

int32 value_of(const BMessage& message)
{
	int32 value = -1;
	message.FindInt32("be:value", &value);
	return value;
}

// Lets queued messages and Qt's own events through for a while.
void settle(int milliseconds = 30)
{
	QElapsedTimer timer;
	timer.start();
	while (timer.elapsed() < milliseconds)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A click where Qt counts it as a click on the button: on the indicator for radio buttons
// and check boxes, whose labels may be shorter than the widget.
void click(BView* view)
{
	QWidget* widget = BView::Private::Widget(view);
	QPoint where = widget->rect().center();
	if (qobject_cast<QRadioButton*>(widget) != nullptr
		|| qobject_cast<QCheckBox*>(widget) != nullptr) {
		QStyleOptionButton option;
		option.initFrom(widget);
		bool radio = qobject_cast<QRadioButton*>(widget) != nullptr;
		where = widget->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator
			: QStyle::SE_CheckBoxIndicator, &option, widget).center();
	}
	QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
}

// What a control's caption shows on screen.
QString shown_caption(QWidget* widget)
{
	if (QAbstractButton* button = qobject_cast<QAbstractButton*>(widget))
		return button->text();
	if (QLabel* label = qobject_cast<QLabel*>(widget))
		return label->text();
	QLabel* label = widget->findChild<QLabel*>();
	return label != nullptr ? label->text() : QString();
}

QLineEdit* line_edit(BTextControl* control)
{
	return BView::Private::Widget(control)->findChild<QLineEdit*>();
}

QPushButton* menu_button(BMenuField* field)
{
	return BView::Private::Widget(field)->findChild<QPushButton*>();
}

class controls : public testing::Test {
protected:
	void SetUp() override
	{
		window = new BWindow(BRect(100, 100, 499, 399), "controls", B_TITLED_WINDOW, 0);
		target = new recorder;
		window->AddHandler(target);
		window->Show();
	}

	void TearDown() override
	{
		window->Quit();
		delete target;
		settle(5);
	}

	template <class Control>
	Control* add(Control* control, BView* parent = nullptr)
	{
		if (parent != nullptr)
			parent->AddChild(control);
		else
			window->AddChild(control);
		return control;
	}

	BView* group(BRect frame)
	{
		BView* view = new BView(frame, "group", B_FOLLOW_NONE, B_WILL_DRAW);
		window->AddChild(view);
		view->SetViewColor(200, 255, 255);
		return view;
	}

	BWindow* window;
	recorder* target;
};

TEST(controls_invoker, ResolvesItsHandlerWhenInvokedAndAlwaysQueues)
{
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "invoker", B_TITLED_WINDOW, 0);
	recorder late;
	// Aimed at a handler that joins a looper only afterwards.
	BInvoker invoker(new BMessage('lazy'), &late);
	window->AddHandler(&late);
	EXPECT_EQ(invoker.Target(nullptr), &late);

	EXPECT_EQ(invoker.Invoke(), B_OK);
	EXPECT_TRUE(late.messages.empty()) << "the handler must not run inside Invoke";
	invoker.SetMessage(new BMessage('next'));
	EXPECT_EQ(invoker.Invoke(), B_OK);
	settle();
	ASSERT_EQ(late.messages.size(), 2u);
	EXPECT_EQ(late.messages[0].what, (uint32)'lazy');
	EXPECT_EQ(late.messages[1].what, (uint32)'next');

	window->RemoveHandler(&late);
	EXPECT_NE(invoker.Invoke(), B_OK) << "a handler outside any looper cannot be reached";
	window->Quit();
	settle(5);
}

TEST_F(controls, ButtonClickSendsWhenSourceAndValue)
{
	BButton* button = add(new BButton(BRect(10, 10, 80, 30), "b", "add", new BMessage('Bhit')));
	button->SetTarget(target);
	int64 before = now_microseconds();
	click(button);
	settle();
	int64 after = now_microseconds();

	ASSERT_EQ(target->messages.size(), 1u);
	const BMessage& message = target->messages[0];
	EXPECT_EQ(message.what, (uint32)'Bhit');
	int64 when = 0;
	ASSERT_EQ(message.FindInt64("when", &when), B_OK);
	EXPECT_GE(when, before);
	EXPECT_LE(when, after);
	EXPECT_EQ(source_of(message), button);
	EXPECT_EQ(value_of(message), 0);
	EXPECT_EQ(button->Message()->CountNames(B_ANY_TYPE), 0) << "fields go on a copy";
}

TEST_F(controls, RadioButtonsAreExclusiveWithinTheirParentOnly)
{
	BView* first = group(BRect(10, 10, 390, 40));
	BView* second = group(BRect(10, 50, 390, 80));
	BRadioButton* a[3];
	BRadioButton* b[2];
	for (int i = 0; i < 3; i++) {
		a[i] = add(new BRadioButton(BRect(i * 100, 0, i * 100 + 90, 20), "a", "choice",
			new BMessage('Vchg')), first);
		a[i]->SetTarget(target);
	}
	for (int i = 0; i < 2; i++) {
		b[i] = add(new BRadioButton(BRect(i * 100, 0, i * 100 + 90, 20), "b", "choice",
			new BMessage('Vchg')), second);
		b[i]->SetTarget(target);
	}
	auto values = [](BRadioButton** buttons, int count) {
		std::string result;
		for (int i = 0; i < count; i++) {
			QWidget* widget = BView::Private::Widget(buttons[i]);
			bool checked = static_cast<QAbstractButton*>(widget)->isChecked();
			EXPECT_EQ(checked, buttons[i]->Value() == B_CONTROL_ON) << "widget out of step";
			result += buttons[i]->Value() == B_CONTROL_ON ? '1' : '0';
		}
		return result;
	};

	click(a[0]);
	click(a[1]);
	click(b[0]);
	settle();
	EXPECT_EQ(values(a, 3), "010");
	EXPECT_EQ(values(b, 2), "10") << "the other group keeps its own choice";
	ASSERT_EQ(target->messages.size(), 3u);
	EXPECT_EQ(source_of(target->messages[1]), a[1]);
	EXPECT_EQ(value_of(target->messages[1]), 1);

	// A click on the button that is on keeps it on and still reports.
	click(a[1]);
	settle();
	EXPECT_EQ(values(a, 3), "010");
	EXPECT_EQ(target->messages.size(), 4u);

	// From code: the siblings go off, and nothing is sent.
	a[2]->SetValue(B_CONTROL_ON);
	settle();
	EXPECT_EQ(values(a, 3), "001");
	EXPECT_EQ(values(b, 2), "10");
	EXPECT_EQ(target->messages.size(), 4u);
}

TEST_F(controls, CheckBoxTogglesAndReportsItsValue)
{
	BCheckBox* box = add(new BCheckBox(BRect(10, 10, 110, 30), "auto", "autoset",
		new BMessage('Vchg')));
	box->SetTarget(target);
	QAbstractButton* widget = static_cast<QAbstractButton*>(BView::Private::Widget(box));

	click(box);
	settle();
	EXPECT_EQ(box->Value(), B_CONTROL_ON);
	EXPECT_TRUE(widget->isChecked());
	click(box);
	settle();
	EXPECT_EQ(box->Value(), B_CONTROL_OFF);
	EXPECT_FALSE(widget->isChecked());
	ASSERT_EQ(target->messages.size(), 2u);
	EXPECT_EQ(value_of(target->messages[0]), 1);
	EXPECT_EQ(value_of(target->messages[1]), 0);

	box->SetValue(B_CONTROL_ON);
	settle();
	EXPECT_TRUE(widget->isChecked());
	EXPECT_EQ(target->messages.size(), 2u) << "SetValue never invokes";
}

TEST_F(controls, TextControlCommitsOnEnterAndOnLeavingAfterAnEdit)
{
	BTextControl* field = add(new BTextControl(BRect(10, 10, 170, 30), "bounds", "bounds", "",
		new BMessage('Vchg')));
	field->SetDivider(50);
	field->SetTarget(target);
	BTextControl* other = add(new BTextControl(BRect(10, 40, 170, 60), "when", "when", "",
		nullptr));
	window->Activate();
	ASSERT_TRUE(QTest::qWaitForWindowActive(BWindow::Private::Widget(window)));
	QLineEdit* edit = line_edit(field);

	// The field runs from the divider to the right edge, the label up to the divider.
	EXPECT_EQ(edit->geometry(), QRect(50, 0, 111, 21));
	EXPECT_EQ(BView::Private::Widget(field)->findChild<QLabel*>()->geometry(), QRect(0, 0, 50, 21));

	field->MakeFocus(true);
	QTest::keyClicks(edit, "1,2,3,4");
	EXPECT_STREQ(field->Text(), "1,2,3,4");
	QTest::keyClick(edit, Qt::Key_Return);
	settle();
	ASSERT_EQ(target->messages.size(), 1u) << "Enter commits once";
	EXPECT_EQ(source_of(target->messages[0]), field);

	// Leaving without a further edit commits nothing.
	other->MakeFocus(true);
	settle();
	EXPECT_EQ(target->messages.size(), 1u);

	// Leaving after an edit commits once.
	field->MakeFocus(true);
	QTest::keyClick(edit, Qt::Key_Backspace);
	other->MakeFocus(true);
	settle();
	EXPECT_EQ(target->messages.size(), 2u);
	EXPECT_STREQ(field->Text(), "1,2,3,");

	// Text from the program is shown at once and never sent, even if focus moves after it.
	field->MakeFocus(true);
	QTest::keyClicks(edit, "9");
	field->SetText("5,6,7,8");
	other->MakeFocus(true);
	settle();
	EXPECT_EQ(edit->text(), "5,6,7,8");
	EXPECT_STREQ(field->Text(), "5,6,7,8");
	EXPECT_EQ(target->messages.size(), 2u);
}

TEST_F(controls, TextControlWithoutDividerShowsNoLabel)
{
	BTextControl* field = add(new BTextControl(BRect(10, 10, 110, 30), "bg", "", "0,0,1,1",
		nullptr));
	field->SetDivider(0);
	EXPECT_FALSE(BView::Private::Widget(field)->findChild<QLabel*>()->isVisible());
	EXPECT_EQ(line_edit(field)->geometry(), QRect(0, 0, 101, 21));
	EXPECT_EQ(line_edit(field)->text(), "0,0,1,1");
}

// A value wider than its field shows its end, where its digits differ, also after the user
// has left the cursor at the start.
TEST_F(controls, TextControlShowsTheEndOfAValueThatDoesNotFit)
{
	BTextControl* field = add(new BTextControl(BRect(10, 10, 40, 30), "col", "", "0", nullptr));
	field->SetDivider(0);
	QLineEdit* edit = line_edit(field);
	for (const char* value : {"80ffffff", "0x1234567890abcdef"}) {
		edit->home(false);
		field->SetText(value);
		settle(5);
		QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
		EXPECT_TRUE(cursor.center().x() > 0 && cursor.center().x() < edit->width()) << value;
		EXPECT_EQ(edit->cursorPosition(), (int)strlen(value)) << value;
	}
}

TEST_F(controls, PopUpMenuInRadioModeDrivesItsMenuField)
{
	BPopUpMenu* menu = new BPopUpMenu("", true, true);
	const char* labels[] = {"Serif(Regular)", "Serif(Bold)", "Mono(Regular)"};
	BMenuItem* items[3];
	for (int i = 0; i < 3; i++) {
		BMessage* message = new BMessage('Msel');
		message->AddInt16("font_no", i);
		items[i] = new BMenuItem(labels[i], message);
		menu->AddItem(items[i]);
	}
	menu->SetTargetForItems(target);
	BMenuField* field = add(new BMenuField(BRect(10, 10, 250, 30), "year_font", "year_font",
		menu));
	field->SetDivider(50);
	QPushButton* button = menu_button(field);
	ASSERT_EQ(button->menu(), BMenu::Private::Menu(menu));
	ASSERT_EQ(button->menu()->actions().size(), 3);
	EXPECT_EQ(button->menu()->actions()[1]->text(), "Serif(Bold)");

	items[1]->SetMarked(true);
	EXPECT_EQ(menu->FindMarked(), items[1]);
	EXPECT_EQ(button->text(), "Serif(Bold)");
	items[0]->SetMarked(true);
	EXPECT_FALSE(items[1]->IsMarked());
	EXPECT_EQ(menu->FindMarked(), items[0]);
	EXPECT_EQ(button->text(), "Serif(Regular)");

	// The user's choice through Qt's menu marks the item and sends its message.
	BMenuItem::Private::Action(items[2])->trigger();
	EXPECT_EQ(menu->FindMarked(), items[2]);
	EXPECT_FALSE(items[0]->IsMarked());
	EXPECT_TRUE(BMenuItem::Private::Action(items[2])->isChecked());
	EXPECT_FALSE(BMenuItem::Private::Action(items[0])->isChecked());
	EXPECT_EQ(button->text(), "Mono(Regular)");
	settle();
	ASSERT_EQ(target->messages.size(), 1u) << "marking from code sends nothing";
	const BMessage& message = target->messages[0];
	EXPECT_EQ(message.what, (uint32)'Msel');
	EXPECT_EQ(source_of(message), items[2]);
	int16 font = -1;
	EXPECT_EQ(message.FindInt16("font_no", &font), B_OK);
	EXPECT_EQ(font, 2);
	int64 when = 0;
	EXPECT_EQ(message.FindInt64("when", &when), B_OK);
}

TEST_F(controls, MenuBarSpansTheWindowAndSendsItsItems)
{
	BMenuBar* bar = new BMenuBar(BRect(0, 0, 20, 20), "menubar");
	BMenu* file = new BMenu("File");
	const char* labels[] = {"New", "Open", "Save as", "About", "Quit"};
	const uint32 codes[] = {'fine', 'fiop', 'fiwr', B_ABOUT_REQUESTED, B_QUIT_REQUESTED};
	for (int i = 0; i < 5; i++) {
		BMenuItem* item = new BMenuItem(labels[i], new BMessage(codes[i]));
		item->SetTarget(target);
		file->AddItem(item);
	}
	bar->AddItem(file);
	add(bar);

	QMenuBar* widget = qobject_cast<QMenuBar*>(BView::Private::Widget(bar));
	ASSERT_NE(widget, nullptr);
	EXPECT_EQ(bar->Frame().Width(), window->Bounds().Width());
	EXPECT_EQ(bar->Frame().Height() + 1, widget->sizeHint().height());
	ASSERT_EQ(widget->actions().size(), 1);
	QMenu* menu = widget->actions()[0]->menu();
	ASSERT_NE(menu, nullptr);
	EXPECT_EQ(widget->actions()[0]->text(), "File");

	// An item added while the bar is showing lands in its place.
	file->AddItem(new BMenuItem("Extra", new BMessage('xtra')), 1);
	QStringList texts;
	for (QAction* action : menu->actions())
		texts << action->text();
	EXPECT_EQ(texts, QStringList({"New", "Extra", "Open", "Save as", "About", "Quit"}));

	BMenuItem::Private::Action(file->FindItem("Save as"))->trigger();
	settle();
	ASSERT_EQ(target->messages.size(), 1u);
	EXPECT_EQ(target->messages[0].what, (uint32)'fiwr');
	EXPECT_EQ(source_of(target->messages[0]), file->FindItem("Save as"));
	EXPECT_FALSE(file->FindItem("Save as")->IsMarked()) << "a plain menu marks nothing";
}

TEST_F(controls, SetEnabledGreysTheWidgetAndStopsInput)
{
	BPopUpMenu* menu = new BPopUpMenu("");
	BMenuItem* item = new BMenuItem("PNG", new BMessage('Msel'));
	item->SetTarget(target);
	menu->AddItem(item);
	struct toggle {
		const char* kind;
		BView* view;
		std::function<void(bool)> enable;
	};
	std::vector<toggle> cases;
	std::pair<const char*, BControl*> controls[] = {
		{"button", new BButton(BRect(10, 10, 80, 30), "b", "del", new BMessage('Bhit'))},
		{"radio button", new BRadioButton(BRect(10, 40, 80, 60), "r", "wall",
			new BMessage('Vchg'))},
		{"check box", new BCheckBox(BRect(10, 70, 80, 90), "c", "auto", new BMessage('Vchg'))},
		{"text control", new BTextControl(BRect(10, 100, 80, 120), "t", "when", "",
			new BMessage('Vchg'))},
	};
	for (auto& [kind, control] : controls) {
		control->SetTarget(target);
		add(control);
		cases.push_back({kind, control, [control = control](bool on) {
			control->SetEnabled(on);
		}});
	}
	BMenuField* field = add(new BMenuField(BRect(10, 130, 200, 150), "f", "format", menu));
	cases.push_back({"menu field", field, [field](bool on) { field->SetEnabled(on); }});

	for (auto& c : cases) {
		c.enable(false);
		EXPECT_FALSE(BView::Private::Widget(c.view)->isEnabled()) << c.kind;
		click(c.view);
	}
	item->SetEnabled(false);
	EXPECT_FALSE(BMenuItem::Private::Action(item)->isEnabled());
	BMenuItem::Private::Action(item)->trigger();
	settle();
	EXPECT_TRUE(target->messages.empty()) << "a disabled control sends nothing";

	for (auto& c : cases) {
		c.enable(true);
		EXPECT_TRUE(BView::Private::Widget(c.view)->isEnabled()) << c.kind;
	}
}

// A caption too wide for its frame takes a narrower face, a pixel or two smaller if need
// be, and what still does not fit is cut with "…": a caption of several words keeps its
// last word, a single word its start. The whole caption stays the label and the tool tip.
TEST_F(controls, CaptionsWiderThanTheirFrameAreCut)
{
	const char* words = "a caption far wider than its frame";
	const char* word = "incomprehensibilities";
	float plain = be_plain_font->StringWidth("year_color");
	struct {
		BView* view;
		const char* caption;
		const char* end;  // how the shown text ends; null: shown whole
	} rows[] = {
		{new BStringView(BRect(0, 0, 70, 16), "s", words), words, "\u2026frame"},
		{new BRadioButton(BRect(0, 20, 90, 40), "r", words, nullptr), words, "\u2026frame"},
		{new BCheckBox(BRect(0, 50, 90, 70), "c", words, nullptr), words, "\u2026frame"},
		{new BTextControl(BRect(0, 80, 140, 100), "t", words, "", nullptr), words, "\u2026frame"},
		{new BMenuField(BRect(0, 110, 140, 130), "m", words, new BPopUpMenu("")), words,
			"\u2026frame"},
		{new BRadioButton(BRect(0, 140, 60, 160), "w", word, nullptr), word, "\u2026"},
		// A little too wide for the plain face: whole in a narrower one.
		{new BStringView(BRect(0, 170, plain - 3, 186), "n", "year_color"), "year_color",
			nullptr},
		{new BRadioButton(BRect(0, 190, 200, 210), "f", "fits", nullptr), "fits", nullptr},
	};
	for (auto& row : rows) {
		SCOPED_TRACE(row.view->Name());
		add(row.view);
		QWidget* widget = BView::Private::Widget(row.view);
		QWidget* holder = qobject_cast<QAbstractButton*>(widget) != nullptr
			|| qobject_cast<QLabel*>(widget) != nullptr ? widget : widget->findChild<QLabel*>();
		ASSERT_NE(holder, nullptr);
		QString caption = QString::fromUtf8(row.caption);
		QString shown = shown_caption(widget);
		EXPECT_LE(holder->fontMetrics().horizontalAdvance(shown), holder->width())
			<< qPrintable(shown);
		if (row.end == nullptr) {
			EXPECT_EQ(shown, caption);
			EXPECT_EQ(holder->toolTip(), "");
			continue;
		}
		QString end = QString::fromUtf8(row.end);
		ASSERT_TRUE(shown.endsWith(end)) << qPrintable(shown);
		QString start = shown.chopped(end.size());
		EXPECT_FALSE(start.isEmpty()) << "keeps what fits of the start";
		EXPECT_TRUE(caption.startsWith(start)) << qPrintable(shown);
		EXPECT_EQ(holder->toolTip(), caption);
	}
	EXPECT_STREQ(static_cast<BControl*>(rows[1].view)->Label(), words);
	QFont yearColorFont = BView::Private::Widget(rows[6].view)->font();
	EXPECT_LT(QFontMetrics(yearColorFont).horizontalAdvance("year_color"), plain);
}

TEST_F(controls, FontSizeReachesTheWidgetInPixels)
{
	BButton* button = add(new BButton(BRect(10, 10, 30, 25), "back", "<", nullptr));
	button->SetFontSize(8);
	EXPECT_EQ(QFontInfo(BView::Private::Widget(button)->font()).pixelSize(), 8);

	// A caption that fits at one size is cut when the font grows, at most a few pixels
	// smaller than asked.
	BStringView* caption = add(new BStringView(BRect(10, 40, 80, 58), "s", "base_type"));
	caption->SetFontSize(10);
	EXPECT_EQ(QFontInfo(BView::Private::Widget(caption)->font()).pixelSize(), 10);
	EXPECT_EQ(shown_caption(BView::Private::Widget(caption)), "base_type");
	caption->SetFontSize(30);
	EXPECT_GE(QFontInfo(BView::Private::Widget(caption)->font()).pixelSize(), 25);
	EXPECT_NE(shown_caption(BView::Private::Widget(caption)), "base_type");
	EXPECT_EQ(BView::Private::Widget(caption)->toolTip(), "base_type");
}

// A view taken out of its window and put back (as the panel does to bring its selector row
// to the front) gets a new Qt widget, which must show the view's state as it was.
TEST_F(controls, ControlsKeepTheirStateWhenPutBackIntoTheWindow)
{
	BRadioButton* radio = add(new BRadioButton(BRect(10, 10, 110, 30), "r", "wall",
		new BMessage('Vchg')));
	radio->SetTarget(target);
	radio->SetValue(B_CONTROL_ON);
	radio->SetFontSize(8);
	BTextControl* field = add(new BTextControl(BRect(10, 40, 170, 60), "t", "when", "", nullptr));
	field->SetDivider(50);
	QTest::keyClicks(line_edit(field), "-3");
	field->SetEnabled(false);
	BPopUpMenu* menu = new BPopUpMenu("");
	menu->AddItem(new BMenuItem("image/png", nullptr));
	BMenuField* menuField = add(new BMenuField(BRect(10, 70, 170, 90), "m", "format", menu));

	for (BView* view : {(BView*)radio, (BView*)field, (BView*)menuField}) {
		window->RemoveChild(view);
		window->AddChild(view);
	}
	settle();
	EXPECT_TRUE(static_cast<QAbstractButton*>(BView::Private::Widget(radio))->isChecked());
	EXPECT_EQ(QFontInfo(BView::Private::Widget(radio)->font()).pixelSize(), 8);
	EXPECT_EQ(line_edit(field)->text(), "-3");
	EXPECT_FALSE(BView::Private::Widget(field)->isEnabled());
	EXPECT_EQ(line_edit(field)->geometry().left(), 50);
	menu->ItemAt(0)->SetMarked(true);
	EXPECT_EQ(menu_button(menuField)->menu(), BMenu::Private::Menu(menu));
	EXPECT_EQ(menu_button(menuField)->text(), "image/png");

	click(radio);
	settle();
	ASSERT_EQ(target->messages.size(), 1u);
	EXPECT_EQ(source_of(target->messages[0]), radio);
}

TEST_F(controls, ControlsShowTheirParentsViewColour)
{
	BView* parent = group(BRect(10, 10, 210, 80));
	add(new BCheckBox(BRect(0, 0, 199, 20), "c", "x", nullptr), parent);
	add(new BStringView(BRect(0, 25, 199, 41), "s", "x"), parent);
	add(new BRadioButton(BRect(0, 45, 199, 65), "r", "x", nullptr), parent);
	settle();
	QImage picture = BWindow::Private::Widget(window)->grab().toImage();
	// Right of the short captions, inside both controls' frames.
	EXPECT_EQ(picture.pixelColor(10 + 150, 10 + 10), QColor(200, 255, 255));
	EXPECT_EQ(picture.pixelColor(10 + 150, 10 + 33), QColor(200, 255, 255));
	EXPECT_EQ(picture.pixelColor(10 + 150, 10 + 55), QColor(200, 255, 255));
}

// Clicks a button of the alert once it is on screen.
void answer_alert(int button, QMessageBox::Icon* icon)
{
	QTimer::singleShot(10, [button, icon]() {
		QMessageBox* box = shown_alert();
		if (box == nullptr) {
			answer_alert(button, icon);
			return;
		}
		*icon = box->icon();
		QList<QAbstractButton*> buttons = box->buttons();
		// Qt lists them in the order shown, left to right.
		std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
			return a->x() < b->x();
		});
		buttons[button]->click();
	});
}

TEST(controls_alert, GoReturnsTheIndexOfTheButtonPressed)
{
	struct {
		int buttons;
		int pressed;
		alert_type type;
		QMessageBox::Icon icon;
	} cases[] = {
		{1, 0, B_INFO_ALERT, QMessageBox::Information},
		{3, 1, B_WARNING_ALERT, QMessageBox::Warning},
		{3, 2, B_STOP_ALERT, QMessageBox::Critical},
	};
	for (auto& c : cases) {
		BAlert* alert = new BAlert("", "tevra ver.0.02", "Thank you",
			c.buttons > 1 ? "Maybe" : nullptr, c.buttons > 2 ? "No" : nullptr,
			B_WIDTH_AS_USUAL, c.type);
		QMessageBox::Icon icon = QMessageBox::NoIcon;
		answer_alert(c.pressed, &icon);
		EXPECT_EQ(alert->Go(), c.pressed) << c.buttons << " buttons";
		EXPECT_EQ(icon, c.icon);
	}
}

}
