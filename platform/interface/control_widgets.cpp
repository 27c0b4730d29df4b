#include "control_widgets.h"

#include <algorithm>

#include <QEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>

QString elide_caption(const QString& caption, const QFontMetrics& metrics, int width)
{
	QString shown = metrics.elidedText(caption, Qt::ElideRight, std::max(width, 0));
	if (shown == caption || shown.size() > 1)
		return shown;
	// Too narrow for a character and "…" (a radio button 40 wide): a lone "…" would not say
	// which control it is, so the whole characters that fit are shown instead.
	QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, caption);
	int end = 0;
	for (int next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
		if (metrics.horizontalAdvance(caption.left(next)) > width)
			break;
		end = next;
	}
	return caption.left(end);
}

QString literal_text(const QString& text)
{
	QString result = text;
	return result.replace('&', "&&");
}

bool changes_caption_room(QEvent* event)
{
	return event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange;
}

namespace {

int button_room(const QAbstractButton* button, QStyle::SubElement element)
{
	QStyleOptionButton option;
	option.initFrom(button);
	return button->style()->subElementRect(element, &option, button).width();
}

}

CaptionLabel::CaptionLabel(QWidget* parent)
	: Captioned<QLabel>(parent)
{
	setTextFormat(Qt::PlainText);
	setWordWrap(false);
}

int CaptionLabel::room() const
{
	return contentsRect().width() - 2 * margin();
}

CaptionRadioButton::CaptionRadioButton(QWidget* parent)
	: Captioned<QRadioButton>(parent)
{
	// Exclusivity is the layer's: Qt's own grouping would fight it.
	setAutoExclusive(false);
}

int CaptionRadioButton::room() const
{
	return button_room(this, QStyle::SE_RadioButtonContents);
}

CaptionCheckBox::CaptionCheckBox(QWidget* parent)
	: Captioned<QCheckBox>(parent)
{
}

int CaptionCheckBox::room() const
{
	return button_room(this, QStyle::SE_CheckBoxContents);
}

MenuButton::MenuButton(QWidget* parent)
	: Captioned<QPushButton>(parent)
{
	setAutoDefault(false);
}

int MenuButton::room() const
{
	QStyleOptionButton option;
	option.initFrom(this);
	option.features |= QStyleOptionButton::HasMenu;
	// The pop-up arrow takes the right end of the button.
	int arrow = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
	return button_room(this, QStyle::SE_PushButtonContents) - arrow;
}

DividedWidget::DividedWidget(QWidget* parent, QWidget* field)
	: QWidget(parent), fLabel(new CaptionLabel(this)), fField(field), fDivider(0)
{
	fField->setParent(this);
	fLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
	setFocusProxy(fField);
	place();
}

void DividedWidget::setDivider(int divider)
{
	fDivider = divider;
	place();
}

void DividedWidget::resizeEvent(QResizeEvent*)
{
	place();
}

void DividedWidget::place()
{
	int divider = std::min(std::max(fDivider, 0), width());
	fLabel->setGeometry(0, 0, divider, height());
	fLabel->setVisible(divider > 0);
	fField->setGeometry(divider, 0, width() - divider, height());
}
