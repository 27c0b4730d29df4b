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

class CaptionLabel : public QLabel {
public:
	explicit CaptionLabel(QWidget* parent);
	void setCaption(const QString& caption);
	const QString& caption() const { return fCaption; }

protected:
	void resizeEvent(QResizeEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	void elide();

	QString fCaption;
};

// A click only reports itself: the layer decides the value and sets the check mark, so
// exclusivity and Haiku's rules live in one place.
class CaptionRadioButton : public QRadioButton {
public:
	explicit CaptionRadioButton(QWidget* parent);
	void setCaption(const QString& caption);
	const QString& caption() const { return fCaption; }

protected:
	void nextCheckState() override {}
	void resizeEvent(QResizeEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	void elide();

	QString fCaption;
};

class CaptionCheckBox : public QCheckBox {
public:
	explicit CaptionCheckBox(QWidget* parent);
	void setCaption(const QString& caption);
	const QString& caption() const { return fCaption; }

protected:
	void nextCheckState() override {}
	void resizeEvent(QResizeEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	void elide();

	QString fCaption;
};

// The button of a menu field: shows the chosen item and pops the menu up.
class MenuButton : public QPushButton {
public:
	explicit MenuButton(QWidget* parent);
	void setCaption(const QString& caption);
	const QString& caption() const { return fCaption; }

protected:
	void resizeEvent(QResizeEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	void elide();

	QString fCaption;
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
