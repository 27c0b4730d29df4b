#include "preview_ui/preview.h"

#include <cmath>
#include <utility>

#include <Bitmap.h>
#include <Screen.h>
#include <Window.h>

#include "app/version.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "shared_ui/ui_globals.h"

// The preview's drawing: the picture at the view's scale, the screens' edges, the handles and
// a dragged calendar's outline.

namespace {

BRect inset(BRect rect, float by)
{
	return BRect(rect.left + by, rect.top + by, rect.right - by, rect.bottom - by);
}

// Handles are drawn in the view's own pixels, so they keep their size at every scale.
void fill_handles(BView* view, BRect rect)
{
	view->SetDrawingMode(B_OP_INVERT);
	view->FillRect(handle_rect(rect.left, rect.top));
	view->FillRect(handle_rect(rect.right, rect.top));
	view->FillRect(handle_rect(rect.left, rect.bottom));
	view->FillRect(handle_rect(rect.right, rect.bottom));
	view->SetDrawingMode(B_OP_COPY);
}

// The one-pixel frame along the inside of rect, as four strips; the two outer ones of a
// rectangle two pixels thick or less cover it all.
void frame_strips(BRect rect, BRect strips[4])
{
	strips[0].Set(rect.left, rect.top, rect.right, rect.top);
	strips[1].Set(rect.left, rect.bottom, rect.right, rect.bottom);
	strips[2].Set(rect.left, rect.top + 1, rect.left, rect.bottom - 1);
	strips[3].Set(rect.right, rect.top + 1, rect.right, rect.bottom - 1);
}

// Fills the part of the frame along rect that lies in area.
void fill_frame(BView* view, BRect rect, BRect area)
{
	BRect strips[4];
	frame_strips(rect, strips);
	for (const BRect& strip : strips) {
		BRect part = strip & area;
		if (strip.IsValid() && part.IsValid())
			view->FillRect(part);
	}
}

// The rectangle a dragged calendar's outline takes: the white line on the calendar's own
// edge pixels and the black one around it.
BRect outline_area(BRect shown)
{
	BRect edge(std::floor(shown.left), std::floor(shown.top), std::floor(shown.right),
		std::floor(shown.bottom));
	if (edge.left > edge.right)
		std::swap(edge.left, edge.right);
	if (edge.top > edge.bottom)
		std::swap(edge.top, edge.bottom);
	return inset(edge, -1);
}

}

BRect handle_rect(float x, float y)
{
	const float kHandle = 3;
	return BRect(x - kHandle, y - kHandle, x + kHandle, y + kHandle);
}

float preview::real_scale() const
{
	return Window() != nullptr ? BScreen(Window()).PixelRatio() : 1;
}

void preview::set_scale(float picture_scale)
{
	if (picture_scale == view_scale || !(picture_scale > 0))
		return;
	view_scale = picture_scale;
	// The whole view is drawn anew at the new size, without the marks of the old one.
	sel_old.shown = false;
	outline = BRect();
	update_shown();
	Invalidate();
}

BRect preview::shown_bounds() const
{
	// Whole pixels: the window is sized to them.
	return BRect(0, 0, std::round((scrn.Width() + 1) / view_scale) - 1,
		std::round((scrn.Height() + 1) / view_scale) - 1);
}

BPoint preview::picture_point(BPoint where) const
{
	return BPoint(where.x * view_scale, where.y * view_scale);
}

BRect preview::on_screen(BRect rect) const
{
	return BRect(rect.left / view_scale, rect.top / view_scale, rect.right / view_scale,
		rect.bottom / view_scale);
}

// Scaled once per composition with a smooth filter, the fitted picture then only copies on the
// screen, however often it is drawn.
void preview::update_shown()
{
	delete shown;
	shown = nullptr;
	float factor = real_scale() / view_scale;
	if (factor == 1 || calview == nullptr || calview->wallbmp == nullptr)
		return;
	BRect size = shown_bounds();
	size.right = std::round((size.right + 1) * real_scale()) - 1;
	size.bottom = std::round((size.bottom + 1) * real_scale()) - 1;
	shown = new BBitmap(size, B_RGB32, true);
	if (!shown->IsValid()) {
		delete shown;
		shown = nullptr;
		return;
	}
	BView* painter = new BView(size, "scaler", B_FOLLOW_NONE, 0);
	shown->AddChild(painter);
	painter->DrawBitmap(calview->wallbmp, size);
	shown->RemoveChild(painter);
	delete painter;
}

void preview::paint_picture(BRect area)
{
	// The picture as shown has one pixel for each device pixel of the view.
	const BBitmap* picture = shown != nullptr ? shown : calview->wallbmp;
	float ratio = shown != nullptr ? real_scale() : view_scale;
	if (picture != nullptr) {
		BRect source = BRect(area.left * ratio, area.top * ratio, (area.right + 1) * ratio - 1,
			(area.bottom + 1) * ratio - 1) & picture->Bounds();
		if (source.IsValid()) {
			DrawBitmap(picture, source, BRect(source.left / ratio, source.top / ratio,
				(source.right + 1) / ratio - 1, (source.bottom + 1) / ratio - 1));
		}
	}
	// Over a picture for several screens, where each screen's part begins and ends.
	if (scrns.size() > 1) {
		SetDrawingMode(B_OP_INVERT);
		for (const BRect& f : scrns)
			fill_frame(this, on_screen(f), area);
		SetDrawingMode(B_OP_COPY);
	}
	draw_outline(area);
}

void preview::show_outline(BRect rect)
{
	outline = outline_area(on_screen(rect));
	draw_outline(outline);
}

void preview::draw_outline(BRect area)
{
	if (!outline.IsValid())
		return;
	rgb_color high = HighColor();
	SetHighColor(0, 0, 0);
	fill_frame(this, outline, area);
	SetHighColor(255, 255, 255);
	fill_frame(this, inset(outline, 1), area);
	SetHighColor(high);
}

// Only the outline's own strips are drawn again, so a drag costs what the outline covers.
void preview::hide_outline()
{
	if (!outline.IsValid())
		return;
	BRect o = outline;
	outline = BRect();
	BRect strips[4] = {BRect(o.left, o.top, o.right, o.top + 1),
		BRect(o.left, o.bottom - 1, o.right, o.bottom),
		BRect(o.left, o.top + 2, o.left + 1, o.bottom - 2),
		BRect(o.right - 1, o.top + 2, o.right, o.bottom - 2)};
	rgb_color high = HighColor();
	for (const BRect& strip : strips) {
		if (!strip.IsValid())
			continue;
		// Where the view shows no picture it shows its own colour.
		SetHighColor(ViewColor());
		FillRect(strip);
		paint_picture(strip);
	}
	SetHighColor(high);
}

void preview::eraseframe()
{
	if (!sel_old.shown)
		return;
	fill_handles(this, handles_at);
	sel_old.shown = false;
}

void preview::drawframe()
{
	handles_at = on_screen(sel_now.rect);
	if (sel_now.shown)
		fill_handles(this, handles_at);
	sel_old = sel_now;
}

void preview::Draw(BRect updateRect)
{
	eraseframe();
	paint_picture(updateRect);
	drawframe();
	// An empty design says what program this is.
	if (baseimgpath[0] == '\0' && obl.CountItems() == 0) {
		SetFontSize(30);
		DrawString("tevra", BPoint(45, 50));
		SetFontSize(20);
		DrawString("ver." TEVRA_VERSION, BPoint(75, 80));
	}
}

