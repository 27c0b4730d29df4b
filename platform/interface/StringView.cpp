#include <StringView.h>

#include "ViewPrivate.h"
#include "control_widgets.h"

namespace {

QWidget* create_string_view(BView*, QWidget* parent)
{
	return new CaptionLabel(parent);
}

void sync_string_view(BView* view)
{
	BStringView* string = static_cast<BStringView*>(view);
	CaptionLabel* label = static_cast<CaptionLabel*>(BView::Private::Widget(view));
	Qt::Alignment horizontal = string->Alignment() == B_ALIGN_RIGHT ? Qt::AlignRight
		: string->Alignment() == B_ALIGN_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
	label->setAlignment(horizontal | Qt::AlignVCenter);
	// One line, as Haiku draws it: line breaks and other control characters take no room.
	QString shown = QString::fromUtf8(string->Text());
	shown.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
	label->setCaption(shown);
}

const view_kind kStringViewKind = {create_string_view, sync_string_view};

}

BStringView::BStringView(BRect frame, const char* name, const char* text,
	uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags), fText(text != nullptr ? text : ""),
	fAlignment(B_ALIGN_LEFT)
{
	BView::Private::SetKind(this, &kStringViewKind);
}

BStringView::~BStringView()
{
}

void BStringView::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
	BView::Private::SyncWidget(this);
}

void BStringView::SetAlignment(alignment flag)
{
	fAlignment = flag;
	BView::Private::SyncWidget(this);
}
