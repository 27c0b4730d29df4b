#ifndef TEVRA_WINDOW_WIDGET_H
#define TEVRA_WINDOW_WIDGET_H

#include <QString>
#include <QWidget>

class BWindow;

// The top-level Qt widget of a BWindow: forwards closing, resizing, moving and the window
// manager's maximise to the window's hooks.
class WindowWidget : public QWidget {
public:
	explicit WindowWidget(BWindow* window);
	void Detach() { fWindow = nullptr; }

protected:
	void closeEvent(QCloseEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void changeEvent(QEvent* event) override;

private:
	BWindow* fWindow;
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
