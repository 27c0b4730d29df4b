#include <MenuBar.h>

#include <QMenuBar>

#include <MenuItem.h>

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
	bool resizeToFit)
	: BMenu(name, layout), fResizeToFit(resizeToFit)
{
	MoveTo(frame.LeftTop());
	ResizeTo(frame.Width(), frame.Height());
	SetResizingMode(resizingMode);
	SetFlags(B_WILL_DRAW | B_FRAME_EVENTS);
}

BMenuBar::~BMenuBar()
{
}

QWidget* BMenuBar::_CreateWidget(QWidget* parent)
{
	QMenuBar* bar = new QMenuBar(parent);
	// The bar belongs to the window it was put in, never to a desktop-wide menu.
	bar->setNativeMenuBar(false);
	for (int32 i = 0; i < CountItems(); i++)
		_InsertAction(ItemAt(i), i, bar);
	return bar;
}

QWidget* BMenuBar::_ActionHost() const
{
	return _Widget();
}

void BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	if (!fResizeToFit || _Widget() == nullptr)
		return;
	// Resize-to-fit: as wide as the parent from the bar's left edge, as high as Qt draws it.
	float width = Parent() != nullptr ? Parent()->Bounds().Width() - Frame().left
		: Frame().Width();
	ResizeTo(width, _Widget()->sizeHint().height() - 1);
}
