#include <gtest/gtest.h>

#include <functional>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <Window.h>

#include "platform/interface/MenuItemPrivate.h"
#include "platform/interface/MenuPrivate.h"
#include "platform/interface/ViewPrivate.h"

// A font menu as the configuration panel builds it, on a laptop's 1366 x 768 screen (this
// test's screen, set where it is registered): far more items than the screen is tall.

namespace {

const int kItems = 400;

void settle(int milliseconds = 20)
{
	QElapsedTimer timer;
	timer.start();
	while (timer.elapsed() < milliseconds)
		QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class long_menu : public testing::Test {
protected:
	void SetUp() override
	{
		window = new BWindow(BRect(100, 300, 499, 399), "menus", B_TITLED_WINDOW, 0);
		menu = new BPopUpMenu("", true, true);
		for (int i = 0; i < kItems; i++) {
			char label[64];
			snprintf(label, sizeof(label), "Family %d(Regular)", i);
			menu->AddItem(new BMenuItem(label, new BMessage('Msel')));
		}
		menu->ItemAt(0)->SetMarked(true);
		field = new BMenuField(BRect(10, 10, 250, 30), "year_font", "year_font", menu);
		field->SetDivider(50);
		window->AddChild(field);
		window->Show();
		settle();
	}

	void TearDown() override
	{
		window->Quit();
		settle(5);
	}

	QPushButton* button() const { return BView::Private::Widget(field)->findChild<QPushButton*>(); }

	// Opens the menu as a click on the field does and runs the check while it is open;
	// Qt's menu runs its own event loop until it closes.
	void with_open_menu(const std::function<void(QMenu*)>& check)
	{
		QMenu* qmenu = BMenu::Private::Menu(menu);
		QTimer::singleShot(0, qmenu, [qmenu, check]() {
			check(qmenu);
			if (qmenu->isVisible())
				qmenu->close();
		});
		button()->showMenu();
		settle();
	}

	QAction* last_action() const { return BMenuItem::Private::Action(menu->ItemAt(kItems - 1)); }

	BWindow* window;
	BPopUpMenu* menu;
	BMenuField* field;
};

TEST_F(long_menu, IsOneColumnWithinTheScreen)
{
	QRect screen = QGuiApplication::primaryScreen()->geometry();
	ASSERT_EQ(screen.size(), QSize(1366, 768)) << "the test's screen configuration";
	bool shown = false;
	with_open_menu([&](QMenu* qmenu) {
		shown = qmenu->isVisible();
		EXPECT_TRUE(screen.contains(qmenu->geometry())) << qmenu->geometry().height();
		int left = qmenu->actionGeometry(qmenu->actions().first()).left();
		for (QAction* action : qmenu->actions())
			ASSERT_EQ(qmenu->actionGeometry(action).left(), left) << "a second column";
		EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(qmenu->actions().first())))
			<< "the first item shows at the top";
	});
	EXPECT_TRUE(shown);
}

TEST_F(long_menu, LastItemIsReachedByKeyboardAndChosen)
{
	with_open_menu([&](QMenu* qmenu) {
		QTest::keyClick(qmenu, Qt::Key_Up);
		EXPECT_EQ(qmenu->activeAction(), last_action()) << "Up from the top wraps to the end";
		EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(last_action())));
		QTest::keyClick(qmenu, Qt::Key_Up);
		QAction* before = BMenuItem::Private::Action(menu->ItemAt(kItems - 2));
		EXPECT_EQ(qmenu->activeAction(), before);
		EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(before)));
		QTest::keyClick(qmenu, Qt::Key_Down);
		QTest::keyClick(qmenu, Qt::Key_Return);
	});
	EXPECT_TRUE(menu->ItemAt(kItems - 1)->IsMarked());
	EXPECT_FALSE(menu->ItemAt(0)->IsMarked());
	EXPECT_EQ(button()->text(), "Family 399(Regular)");
}

TEST_F(long_menu, LastItemIsReachedByWheelAndClicked)
{
	with_open_menu([&](QMenu* qmenu) {
		QPoint inside = qmenu->rect().center();
		for (int i = 0; i < kItems && !qmenu->rect().contains(qmenu->actionGeometry(
			last_action())); i++) {
			QWheelEvent wheel(inside, qmenu->mapToGlobal(inside), QPoint(), QPoint(0, -120),
				Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
			QApplication::sendEvent(qmenu, &wheel);
		}
		QRect last = qmenu->actionGeometry(last_action());
		ASSERT_TRUE(qmenu->rect().contains(last)) << "the wheel scrolls to the end";
		QTest::mouseMove(qmenu, last.center());
		QTest::mouseClick(qmenu, Qt::LeftButton, Qt::NoModifier, last.center());
	});
	EXPECT_TRUE(menu->ItemAt(kItems - 1)->IsMarked());
	EXPECT_EQ(button()->text(), "Family 399(Regular)");
}

TEST_F(long_menu, OnlyTheMarkedItemCarriesACheckMark)
{
	menu->ItemAt(7)->SetMarked(true);
	int checkable = 0;
	for (int i = 0; i < kItems; i++) {
		QAction* action = BMenuItem::Private::Action(menu->ItemAt(i));
		checkable += action->isCheckable() ? 1 : 0;
		EXPECT_EQ(action->isChecked(), i == 7) << i;
	}
	EXPECT_EQ(checkable, 1);
	EXPECT_TRUE(BMenuItem::Private::Action(menu->ItemAt(7))->isCheckable());
	EXPECT_EQ(button()->text(), "Family 7(Regular)");

	// Choosing the marked item again keeps it marked.
	BMenuItem::Private::Action(menu->ItemAt(7))->trigger();
	EXPECT_TRUE(menu->ItemAt(7)->IsMarked());
	EXPECT_TRUE(BMenuItem::Private::Action(menu->ItemAt(7))->isChecked());
}

TEST_F(long_menu, OpensScrolledToTheCheckedItem)
{
	menu->ItemAt(300)->SetMarked(true);
	QAction* marked = BMenuItem::Private::Action(menu->ItemAt(300));
	with_open_menu([&](QMenu* qmenu) {
		EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(marked)));
		EXPECT_EQ(qmenu->activeAction(), marked);
	});
}

// Letters typed within a second add up; a pause starts afresh. Labels are "Family <n>(Regular)".
TEST_F(long_menu, TypedLettersChooseTheFirstItemStartingWithThem)
{
	struct row {
		const char* typed;
		int chosen;
	} rows[] = {
		{"family 3", 3},
		{"family 39", 39},
		{"FAMILY 25", 25},
		{"family 2x", 2},   // a letter that matches nothing keeps the choice
	};
	for (const row& r : rows) {
		with_open_menu([&](QMenu* qmenu) {
			qmenu->setActiveAction(nullptr);
			QTest::keyClicks(qmenu, r.typed);
			EXPECT_EQ(qmenu->activeAction(), BMenuItem::Private::Action(menu->ItemAt(r.chosen)))
				<< r.typed;
		});
	}
	with_open_menu([&](QMenu* qmenu) {
		QTest::keyClicks(qmenu, "family 1");
		settle(1100);
		QTest::keyClicks(qmenu, "f");
		EXPECT_EQ(qmenu->activeAction(), BMenuItem::Private::Action(menu->ItemAt(0)))
			<< "after a pause the letters start afresh";
		QTest::keyClicks(qmenu, "amily 12");
		QTest::keyClick(qmenu, Qt::Key_Return);
	});
	EXPECT_TRUE(menu->ItemAt(12)->IsMarked());
}

TEST_F(long_menu, PageKeysAndWheelMoveAtOnce)
{
	with_open_menu([&](QMenu* qmenu) {
		qmenu->setActiveAction(nullptr);
		int previous = 0;
		for (int press = 0; press < 3; press++) {
			QTest::keyClick(qmenu, Qt::Key_PageDown);
			int now = qmenu->actions().indexOf(qmenu->activeAction());
			EXPECT_GT(now, previous + 10) << "PageDown moves a page, at once";
			EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(qmenu->activeAction())));
			previous = now;
		}
		QTest::keyClick(qmenu, Qt::Key_PageUp);
		EXPECT_LT(qmenu->actions().indexOf(qmenu->activeAction()), previous - 10);
		QTest::keyClick(qmenu, Qt::Key_End);
		EXPECT_EQ(qmenu->activeAction(), last_action());
		EXPECT_TRUE(qmenu->rect().contains(qmenu->actionGeometry(last_action())));
		QTest::keyClick(qmenu, Qt::Key_Home);
		QAction* first = qmenu->actions().first();
		EXPECT_EQ(qmenu->activeAction(), first);

		// Measured between two notches away from the top, where the scroll arrow comes in.
		QPoint inside = qmenu->rect().center();
		int tops[3];
		for (int& top : tops) {
			QWheelEvent notch(inside, qmenu->mapToGlobal(inside), QPoint(), QPoint(0, -120),
				Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
			QApplication::sendEvent(qmenu, &notch);
			top = qmenu->actionGeometry(first).top();
		}
		EXPECT_EQ(tops[1] - tops[2], 3 * qmenu->actionGeometry(first).height())
			<< "a wheel notch moves three items";
	});
}

}
