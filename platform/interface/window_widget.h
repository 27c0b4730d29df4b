#ifndef TEVRA_WINDOW_WIDGET_H
#define TEVRA_WINDOW_WIDGET_H

#include <QElapsedTimer>
#include <QMargins>
#include <QString>
#include <QWidget>

class BWindow;

// The top-level Qt widget of a BWindow: forwards closing, resizing, moving and the window
// manager's maximise to the window's hooks.
class WindowWidget : public QWidget {
public:
	explicit WindowWidget(BWindow* window);
	void Detach() { fWindow = nullptr; }
	// Shows the window inside the desktop's work area (the screen less its panels), as a
	// window manager keeps windows off a panel; placed once more when the window manager has
	// put its border around it.
	void ShowInWorkArea();
	// Resizes to that many logical pixels, which the window manager can then give at any
	// pixel ratio.
	void ResizeExactly(QSize size);

protected:
	bool event(QEvent* event) override;
	void closeEvent(QCloseEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void changeEvent(QEvent* event) override;
	void showEvent(QShowEvent* event) override;
	bool eventFilter(QObject* watched, QEvent* event) override;

private:
	void _KeepInWorkArea();
	bool _Restored() const;
	void _ZoomWhenRestored();

	BWindow* fWindow;
	bool fPlacing;
	bool fZoomWhenRestored;
	bool fRestoreSeen;
	QElapsedTimer fRestoreWait;
	// The border the window manager gives the window when it is not maximised.
	QMargins fUsualMargins;
};

// The title the window manager shows: Qt puts the application's name in place of an empty
// one, so an empty title is sent as a blank.
QString shown_title(const char* title);

// Every window of the application, in creation order.
void register_window(BWindow* window);
void unregister_window(BWindow* window);
int window_count();
BWindow* window_at(int index);

#endif
