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

namespace {

// Qt reads '&' in a button's text as a shortcut mark; Haiku shows it as written.
QString literal(const QString& text)
{
	QString result = text;
	return result.replace('&', "&&");
}

bool changes_caption_room(QEvent* event)
{
	return event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange;
}

// The cut caption and, when it was cut, the whole one as a tool tip.
template <class Widget>
void show_elided(Widget* widget, const QString& caption, int room, bool escape)
{
	QString shown = elide_caption(caption, widget->fontMetrics(), room);
	widget->setText(escape ? literal(shown) : shown);
	widget->setToolTip(shown != caption ? caption : QString());
}

int button_room(const QAbstractButton* button, QStyle::SubElement element)
{
	QStyleOptionButton option;
	option.initFrom(button);
	return button->style()->subElementRect(element, &option, button).width();
}

}

CaptionLabel::CaptionLabel(QWidget* parent)
	: QLabel(parent)
{
	setTextFormat(Qt::PlainText);
	setWordWrap(false);
}

void CaptionLabel::setCaption(const QString& caption)
{
	fCaption = caption;
	elide();
}

void CaptionLabel::resizeEvent(QResizeEvent* event)
{
	QLabel::resizeEvent(event);
	elide();
}

void CaptionLabel::changeEvent(QEvent* event)
{
	QLabel::changeEvent(event);
	if (changes_caption_room(event))
		elide();
}

void CaptionLabel::elide()
{
	show_elided(this, fCaption, contentsRect().width() - 2 * margin(), false);
}

CaptionRadioButton::CaptionRadioButton(QWidget* parent)
	: QRadioButton(parent)
{
	// Exclusivity is the layer's: Qt's own grouping would fight it.
	setAutoExclusive(false);
}

void CaptionRadioButton::setCaption(const QString& caption)
{
	fCaption = caption;
	elide();
}

void CaptionRadioButton::resizeEvent(QResizeEvent* event)
{
	QRadioButton::resizeEvent(event);
	elide();
}

void CaptionRadioButton::changeEvent(QEvent* event)
{
	QRadioButton::changeEvent(event);
	if (changes_caption_room(event))
		elide();
}

void CaptionRadioButton::elide()
{
	show_elided(this, fCaption, button_room(this, QStyle::SE_RadioButtonContents), true);
}

CaptionCheckBox::CaptionCheckBox(QWidget* parent)
	: QCheckBox(parent)
{
}

void CaptionCheckBox::setCaption(const QString& caption)
{
	fCaption = caption;
	elide();
}

void CaptionCheckBox::resizeEvent(QResizeEvent* event)
{
	QCheckBox::resizeEvent(event);
	elide();
}

void CaptionCheckBox::changeEvent(QEvent* event)
{
	QCheckBox::changeEvent(event);
	if (changes_caption_room(event))
		elide();
}

void CaptionCheckBox::elide()
{
	show_elided(this, fCaption, button_room(this, QStyle::SE_CheckBoxContents), true);
}

MenuButton::MenuButton(QWidget* parent)
	: QPushButton(parent)
{
	setAutoDefault(false);
}

void MenuButton::setCaption(const QString& caption)
{
	fCaption = caption;
	elide();
}

void MenuButton::resizeEvent(QResizeEvent* event)
{
	QPushButton::resizeEvent(event);
	elide();
}

void MenuButton::changeEvent(QEvent* event)
{
	QPushButton::changeEvent(event);
	if (changes_caption_room(event))
		elide();
}

void MenuButton::elide()
{
	QStyleOptionButton option;
	option.initFrom(this);
	option.features |= QStyleOptionButton::HasMenu;
	// The pop-up arrow takes the right end of the button.
	int arrow = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
	show_elided(this, fCaption, button_room(this, QStyle::SE_PushButtonContents) - arrow, true);
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
