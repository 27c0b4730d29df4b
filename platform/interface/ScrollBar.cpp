#include <ScrollBar.h>

#include <algorithm>
#include <cmath>

#include <QScrollBar>

#include "ViewPrivate.h"

// Makes the bar's Qt scroll bar and keeps it in line with the bar.
class BScrollBar::Private {
public:
	static QWidget* CreateWidget(BView* view, QWidget* parent);
	static void Sync(const BScrollBar* bar, QScrollBar* shown);
};

namespace {

// Haiku's bars follow the edge they stand on when the window is resized.
uint32 resizing_for(orientation direction)
{
	return direction == B_VERTICAL ? (B_FOLLOW_RIGHT | B_FOLLOW_TOP_BOTTOM)
		: (B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
}

const view_kind kScrollBarKind = {BScrollBar::Private::CreateWidget, nullptr};

}

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
	orientation direction)
	: BView(frame, name, resizing_for(direction), B_WILL_DRAW), fTarget(target),
	fOrientation(direction), fMin(min), fMax(std::max(min, max)), fValue(min),
	fProportion(0), fSmallStep(1), fLargeStep(10)
{
	BView::Private::SetKind(this, &kScrollBarKind);
}

BScrollBar::~BScrollBar()
{
}

QWidget* BScrollBar::Private::CreateWidget(BView* view, QWidget* parent)
{
	BScrollBar* bar = static_cast<BScrollBar*>(view);
	QScrollBar* shown = new QScrollBar(
		bar->fOrientation == B_VERTICAL ? Qt::Vertical : Qt::Horizontal, parent);
	int32 token = bar->Token();
	QObject::connect(shown, &QScrollBar::valueChanged, shown, [token](int value) {
		BScrollBar* bar = dynamic_cast<BScrollBar*>(BHandler::HandlerForToken(token));
		if (bar != nullptr && value != (int)bar->fValue) {
			bar->fValue = value;
			bar->ValueChanged(value);
		}
	});
	Sync(bar, shown);
	return shown;
}

void BScrollBar::ValueChanged(float newValue)
{
	if (fTarget == nullptr)
		return;
	BRect bounds = fTarget->Bounds();
	if (fOrientation == B_VERTICAL)
		fTarget->ScrollTo(bounds.left, newValue);
	else
		fTarget->ScrollTo(newValue, bounds.top);
}

void BScrollBar::SetValue(float value)
{
	value = std::round(std::min(std::max(value, fMin), fMax));
	if (value == fValue)
		return;
	fValue = value;
	_Sync();
	ValueChanged(fValue);
}

void BScrollBar::SetRange(float min, float max)
{
	fMin = min;
	fMax = std::max(min, max);
	float clamped = std::min(std::max(fValue, fMin), fMax);
	_Sync();
	if (clamped != fValue) {
		fValue = clamped;
		ValueChanged(fValue);
	}
}

void BScrollBar::GetRange(float* min, float* max) const
{
	if (min != nullptr)
		*min = fMin;
	if (max != nullptr)
		*max = fMax;
}

void BScrollBar::SetProportion(float proportion)
{
	fProportion = std::min(std::max(proportion, 0.0f), 1.0f);
	_Sync();
}

void BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fSmallStep = smallStep;
	fLargeStep = largeStep;
	_Sync();
}

void BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != nullptr)
		*smallStep = fSmallStep;
	if (largeStep != nullptr)
		*largeStep = fLargeStep;
}

void BScrollBar::SetTarget(BView* target)
{
	fTarget = target;
}

void BScrollBar::_Sync()
{
	if (QWidget* shown = BView::Private::Widget(this))
		Private::Sync(this, static_cast<QScrollBar*>(shown));
}

void BScrollBar::Private::Sync(const BScrollBar* bar, QScrollBar* shown)
{
	QSignalBlocker block(shown);
	shown->setRange((int)bar->fMin, (int)bar->fMax);
	shown->setSingleStep(std::max(1, (int)bar->fSmallStep));
	// Qt draws the knob from the page step: pick the one that gives Haiku's proportion.
	float range = bar->fMax - bar->fMin;
	int page = (int)bar->fLargeStep;
	if (bar->fProportion > 0 && bar->fProportion < 1 && range > 0)
		page = (int)std::lround(bar->fProportion * range / (1 - bar->fProportion));
	shown->setPageStep(std::max(1, page));
	shown->setValue((int)bar->fValue);
}
