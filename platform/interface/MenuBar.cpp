#include <MenuBar.h>

#include <QMenu>
#include <QMenuBar>

#include <MenuItem.h>
#include <Window.h>

#include "MenuPrivate.h"
#include "ViewPrivate.h"

namespace {

QWidget* create_menu_bar(BView* view, QWidget* parent)
{
	BMenuBar* menu = static_cast<BMenuBar*>(view);
	QMenuBar* bar = new QMenuBar(parent);
	// The bar belongs to the window it was put in, never to a desktop-wide menu.
	bar->setNativeMenuBar(false);
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenu::Private::InsertAction(menu, menu->ItemAt(i), i, bar);
		// The window hears of a menu opening before its items show, as Haiku's windows do.
		if (BMenu* submenu = menu->ItemAt(i)->Submenu()) {
			QObject::connect(BMenu::Private::Menu(submenu), &QMenu::aboutToShow, bar, [menu] {
				if (BWindow* window = menu->Window())
					window->MenusBeginning();
			});
		}
	}
	return bar;
}

const view_kind kMenuBarKind = {create_menu_bar, nullptr};

}

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
	bool resizeToFit)
	: BMenu(name, layout), fResizeToFit(resizeToFit)
{
	MoveTo(frame.LeftTop());
	ResizeTo(frame.Width(), frame.Height());
	SetResizingMode(resizingMode);
	SetFlags(B_WILL_DRAW | B_FRAME_EVENTS);
	BView::Private::SetKind(this, &kMenuBarKind);
}

BMenuBar::~BMenuBar()
{
}

void BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	QWidget* widget = BView::Private::Widget(this);
	if (!fResizeToFit || widget == nullptr)
		return;
	// Resize-to-fit: as wide as the parent from the bar's left edge, as high as Qt draws it.
	float width = Parent() != nullptr ? Parent()->Bounds().Width() - Frame().left
		: Frame().Width();
	ResizeTo(width, widget->sizeHint().height() - 1);
}
