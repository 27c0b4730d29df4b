#include "control_widgets.h"

#include <algorithm>

#include <QEvent>
#include <QFontInfo>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>

namespace {

const QChar kEllipsis(0x2026);

bool separates_words(QChar c)
{
	return c == '_' || c == ' ';
}

// The longest start of text, in whole characters, that fits in width pixels with end after it.
QString fitting_start(const QString& text, const QString& end, const QFontMetrics& metrics,
	int width)
{
	QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
	int kept = 0;
	for (int next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
		if (metrics.horizontalAdvance(text.left(next) + end) > width)
			break;
		kept = next;
	}
	return text.left(kept);
}

int graphemes(const QString& text)
{
	QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
	int count = 0;
	while (finder.toNextBoundary() > 0)
		count++;
	return count;
}

QFont resized(const QFont& font, int pixels, int fromPixels)
{
	QFont result = font;
	if (font.pointSizeF() > 0)
		result.setPointSizeF(font.pointSizeF() * pixels / fromPixels);
	else
		result.setPixelSize(pixels);
	return result;
}

}

QFont caption_font(const QString& caption, const QFont& font, int width)
{
	if (caption.isEmpty() || QFontMetrics(font).horizontalAdvance(caption) <= width)
		return font;
	QFont narrow = font;
	// Without the style's name the family's own narrow face is chosen where it has one;
	// where not, Qt narrows the regular face.
	narrow.setStyleName(QString());
	narrow.setStretch(QFont::SemiCondensed);
	int size = QFontInfo(font).pixelSize();
	if (size <= 1)
		return narrow;
	int smallest = (size * 5 + 5) / 6;
	for (int pixels = size; pixels > smallest; pixels--) {
		QFont candidate = resized(narrow, pixels, size);
		if (QFontMetrics(candidate).horizontalAdvance(caption) <= width)
			return candidate;
	}
	return resized(narrow, smallest, size);
}

QString elide_caption(const QString& caption, const QFontMetrics& metrics, int width)
{
	if (metrics.horizontalAdvance(caption) <= width)
		return caption;
	int lastWord = caption.size();
	while (lastWord > 0 && !separates_words(caption[lastWord - 1]))
		lastWord--;
	if (lastWord > 1 && lastWord < caption.size()) {
		QString end = kEllipsis + caption.mid(lastWord);
		QString start = fitting_start(caption.left(lastWord - 1), end, metrics, width);
		while (!start.isEmpty() && separates_words(start.back()))
			start.chop(1);
		if (!start.isEmpty())
			return start + end;
	}
	QString start = fitting_start(caption, kEllipsis, metrics, width);
	QString bare = fitting_start(caption, QString(), metrics, width);
	// One character and "…" says little (a radio button 40 wide); the characters that fit
	// without it say more, and a lone "…" would not say which control it is.
	if (graphemes(start) > 1 || (!start.isEmpty() && bare == start))
		return start + kEllipsis;
	return bare;
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

// A caption that has taken a fitted font of its own no longer follows this widget's font.
void DividedWidget::changeEvent(QEvent* event)
{
	QWidget::changeEvent(event);
	if (event->type() != QEvent::FontChange)
		return;
	fLabel->setCaptionFont(font());
	if (MenuButton* button = dynamic_cast<MenuButton*>(fField))
		button->setCaptionFont(font());
}

void DividedWidget::place()
{
	int divider = std::min(std::max(fDivider, 0), width());
	fLabel->setGeometry(0, 0, divider, height());
	fLabel->setVisible(divider > 0);
	fField->setGeometry(divider, 0, width() - divider, height());
}
