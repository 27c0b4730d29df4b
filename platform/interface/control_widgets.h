#ifndef TEVRA_CONTROL_WIDGETS_H
#define TEVRA_CONTROL_WIDGETS_H

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// The Qt widgets behind the controls. Each shows its whole caption when it fits; when it
// does not, it first takes a narrower face of its font, a pixel or two smaller if need be,
// and cuts what still does not fit with "…", again whenever its size or font changes, so a
// long caption never runs over the neighbouring control. Full captions are kept for
// Label()/Text() and shown as the tool tip of a cut one.

// The font a caption that is too wide for width pixels in font is shown in: a narrower face
// of it, made smaller a pixel at a time (to five sixths of its size) until the caption fits.
QFont caption_font(const QString& caption, const QFont& font, int width);

// The caption as it fits in width pixels: whole, or cut with "…". A caption of several words
// keeps its last one ("year…size", "year…color"): controls side by side often differ only
// there. A single word keeps its start; where no more than one character fits beside "…",
// the whole characters that fit are shown without it.
QString elide_caption(const QString& caption, const QFontMetrics& metrics, int width);

// Qt reads '&' in a button's text as a shortcut mark; Haiku shows it as written.
QString literal_text(const QString& text);
bool changes_caption_room(QEvent* event);

// A Qt widget showing a caption fitted to the room it has (see above), fitted again whenever
// its size, font or style changes.
template <class Base>
class Captioned : public Base {
public:
	explicit Captioned(QWidget* parent) : Base(parent), fFont(this->font()), fFitting(false) {}

	void setCaption(const QString& caption)
	{
		fCaption = caption;
		fit();
	}
	const QString& caption() const { return fCaption; }

	// The font asked for, from a parent whose font the widget no longer follows by itself
	// once it has taken a fitted one of its own.
	void setCaptionFont(const QFont& font)
	{
		fFont = font;
		fit();
	}

protected:
	// The width the caption may take.
	virtual int room() const = 0;
	// Buttons read '&' as a shortcut mark; labels show plain text.
	virtual bool escapes() const { return true; }

	void resizeEvent(QResizeEvent* event) override
	{
		Base::resizeEvent(event);
		fit();
	}
	void changeEvent(QEvent* event) override
	{
		Base::changeEvent(event);
		if (fFitting || !changes_caption_room(event))
			return;
		if (event->type() == QEvent::FontChange)
			fFont = this->font();
		fit();
	}

	void fit()
	{
		QFont font = caption_font(fCaption, fFont, room());
		if (font != this->font()) {
			fFitting = true;
			this->setFont(font);
			fFitting = false;
		}
		QString shown = elide_caption(fCaption, this->fontMetrics(), room());
		this->setText(escapes() ? literal_text(shown) : shown);
		this->setToolTip(shown != fCaption ? fCaption : QString());
	}

private:
	QString fCaption;
	QFont fFont;
	bool fFitting;
};

class CaptionLabel : public Captioned<QLabel> {
public:
	explicit CaptionLabel(QWidget* parent);

protected:
	int room() const override;
	bool escapes() const override { return false; }
};

// A click only reports itself: the layer decides the value and sets the check mark, so
// exclusivity and Haiku's rules live in one place.
class CaptionRadioButton : public Captioned<QRadioButton> {
public:
	explicit CaptionRadioButton(QWidget* parent);

protected:
	void nextCheckState() override {}
	int room() const override;
};

class CaptionCheckBox : public Captioned<QCheckBox> {
public:
	explicit CaptionCheckBox(QWidget* parent);

protected:
	void nextCheckState() override {}
	int room() const override;
};

// The button of a menu field: shows the chosen item and pops the menu up.
class MenuButton : public Captioned<QPushButton> {
public:
	explicit MenuButton(QWidget* parent);

protected:
	int room() const override;
};


// A caption from x 0 to the divider and a field from the divider to the right edge; with
// the divider at 0 the caption is not shown. Focus goes to the field.
class DividedWidget : public QWidget {
public:
	DividedWidget(QWidget* parent, QWidget* field);
	CaptionLabel* label() const { return fLabel; }
	QWidget* field() const { return fField; }
	void setDivider(int divider);

protected:
	void resizeEvent(QResizeEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	void place();

	CaptionLabel* fLabel;
	QWidget* fField;
	int fDivider;
};

#endif
