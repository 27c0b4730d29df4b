#ifndef TEVRA_CONTROL_WIDGETS_H
#define TEVRA_CONTROL_WIDGETS_H

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// The Qt widgets behind the controls. Each shows its whole caption when it fits and cuts it
// with "…" when it does not, again whenever its size or font changes, so a long caption
// never runs over the neighbouring control. Full captions are kept for Label()/Text().

// The part of the caption that fits in width pixels, with "…" where it is cut (without it
// where not even one character would fit beside it).
QString elide_caption(const QString& caption, const QFontMetrics& metrics, int width);

// Qt reads '&' in a button's text as a shortcut mark; Haiku shows it as written.
QString literal_text(const QString& text);
bool changes_caption_room(QEvent* event);

// A Qt widget showing a caption cut with "…" to the room it has (the whole caption then as a
// tool tip), cut again whenever its size, font or style changes.
template <class Base>
class Captioned : public Base {
public:
	explicit Captioned(QWidget* parent) : Base(parent) {}

	void setCaption(const QString& caption)
	{
		fCaption = caption;
		elide();
	}
	const QString& caption() const { return fCaption; }

protected:
	// The width the caption may take.
	virtual int room() const = 0;
	// Buttons read '&' as a shortcut mark; labels show plain text.
	virtual bool escapes() const { return true; }

	void resizeEvent(QResizeEvent* event) override
	{
		Base::resizeEvent(event);
		elide();
	}
	void changeEvent(QEvent* event) override
	{
		Base::changeEvent(event);
		if (changes_caption_room(event))
			elide();
	}

	void elide()
	{
		QString shown = elide_caption(fCaption, this->fontMetrics(), room());
		this->setText(escapes() ? literal_text(shown) : shown);
		this->setToolTip(shown != fCaption ? fCaption : QString());
	}

private:
	QString fCaption;
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

private:
	void place();

	CaptionLabel* fLabel;
	QWidget* fField;
	int fDivider;
};

#endif
