#include <StringView.h>

#include "control_widgets.h"

BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), fText(text != nullptr ? text : ""),
	fAlignment(B_ALIGN_LEFT)
{
}

BStringView::~BStringView()
{
}

void BStringView::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
	_SyncWidget();
}

void BStringView::SetAlignment(alignment flag)
{
	fAlignment = flag;
	_SyncWidget();
}

QWidget* BStringView::_CreateWidget(QWidget* parent)
{
	return new CaptionLabel(parent);
}

void BStringView::_WidgetCreated()
{
	BView::_WidgetCreated();
	_SyncWidget();
}

void BStringView::_SyncWidget()
{
	CaptionLabel* label = static_cast<CaptionLabel*>(_Widget());
	if (label == nullptr)
		return;
	Qt::Alignment horizontal = fAlignment == B_ALIGN_RIGHT ? Qt::AlignRight
		: fAlignment == B_ALIGN_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
	label->setAlignment(horizontal | Qt::AlignVCenter);
	// One line, as Haiku draws it: line breaks and other control characters take no room.
	QString shown = QString::fromUtf8(fText.c_str());
	shown.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
	label->setCaption(shown);
}
