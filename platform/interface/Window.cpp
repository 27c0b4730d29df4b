#include <Window.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <Screen.h>
#include <View.h>

#include "../support/qt_convert.h"
#include "ViewPrivate.h"
#include "WindowPrivate.h"
#include "screen_layout.h"
#include "view_widget.h"
#include "window_widget.h"

namespace {

std::vector<BWindow*> windows;

}

void register_window(BWindow* window)
{
	windows.push_back(window);
}

void unregister_window(BWindow* window)
{
	windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

int window_count()
{
	return windows.size();
}

BWindow* window_at(int index)
{
	return index >= 0 && index < (int)windows.size() ? windows[index] : nullptr;
}

QString shown_title(const char* title)
{
	QString text = QString::fromUtf8(title != nullptr ? title : "");
	return text.isEmpty() ? QStringLiteral(" ") : text;
}

WindowWidget::WindowWidget(BWindow* window)
	: QWidget(nullptr), fWindow(window), fPlacing(false), fZoomWhenRestored(false),
	fRestoreSeen(false)
{
}

void WindowWidget::ShowInWorkArea()
{
	if (!isHidden())
		return;
	// The border is known only from the second showing on; the first is placed again once
	// the window is on screen.
	_KeepInWorkArea();
	fPlacing = true;
	show();
}

// Qt asks the window manager to size the window in steps of one logical pixel, which at a
// fractional ratio rounds to more than one device pixel (two at 1.5). Counted from a base of
// 0, a size such as 618 (927 device pixels) is then not a whole number of steps, and the
// manager gives one step less; a base the size is whole steps from lets it be given.
void WindowWidget::ResizeExactly(QSize size)
{
	qreal ratio = devicePixelRatioF();
	int step = qRound(ratio);
	if (ratio != std::floor(ratio) && step > 1) {
		auto base_for = [ratio, step](int logical) {
			int device = qRound(logical * ratio);
			for (int base = 0; base < 4 * step; base++) {
				if ((device - qRound(base * ratio)) % step == 0)
					return base;
			}
			return 0;
		};
		setBaseSize(base_for(size.width()), base_for(size.height()));
	}
	resize(size);
}

void WindowWidget::showEvent(QShowEvent* event)
{
	QWidget::showEvent(event);
	if (windowHandle() != nullptr)
		windowHandle()->installEventFilter(this);
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event)
{
	if (event->type() == QEvent::Expose && fPlacing && watched == windowHandle()
			&& windowHandle()->isExposed()) {
		fPlacing = false;
		_KeepInWorkArea();
	}
	if (watched == windowHandle() && !fZoomWhenRestored
			&& (event->type() == QEvent::Move || event->type() == QEvent::Resize)
			&& !(windowHandle()->windowStates() & Qt::WindowMaximized))
		fUsualMargins = windowHandle()->frameMargins();
	if (fZoomWhenRestored && !fRestoreSeen && watched == windowHandle()
			&& event->type() == QEvent::WindowStateChange
			&& !(windowHandle()->windowStates() & Qt::WindowMaximized)) {
		fRestoreSeen = true;
		fRestoreWait.start();
		_ZoomWhenRestored();
	}
	return QWidget::eventFilter(watched, event);
}

// Whether the window is back from maximised with its usual border. The window manager says
// so before it restores the frame, and sets the border after the frame (openbox), which Qt
// only reads at the next look: a border still the maximised one, often none, would make
// the zoom's size wrong.
bool WindowWidget::_Restored() const
{
	QScreen* screen = windowHandle()->screen();
	return screen != nullptr
		&& !windowHandle()->frameGeometry().contains(work_area_of(screen).adjusted(1, 1, -1, -1))
		&& windowHandle()->frameMargins() == fUsualMargins;
}

void WindowWidget::_ZoomWhenRestored()
{
	if (!fZoomWhenRestored || !fRestoreSeen)
		return;
	// A window put back to the very size of the work area, or given another border, is
	// zoomed all the same after a while.
	if (!_Restored() && fRestoreWait.elapsed() < 500) {
		QTimer::singleShot(10, this, [this]() { _ZoomWhenRestored(); });
		return;
	}
	fZoomWhenRestored = false;
	fRestoreSeen = false;
	// After the widget has taken the window's new geometry.
	QMetaObject::invokeMethod(this, [this]() {
		// The window may have gone meanwhile.
		if (fWindow != nullptr)
			fWindow->Zoom();
	}, Qt::QueuedConnection);
}

void WindowWidget::_KeepInWorkArea()
{
	// A window quit before it was first shown leaves its widget until Qt deletes it.
	if (fWindow == nullptr)
		return;
	QScreen* screen = QGuiApplication::screenAt(geometry().center());
	if (screen == nullptr)
		screen = this->screen();
	if (screen == nullptr)
		return;
	// Without a panel the work area is the whole screen: the window stays where it was put.
	QRect work = work_area_of(screen);
	if (work == screen->geometry())
		return;
	QRect outer = frameGeometry();
	QRect inner = geometry();
	// A window that may be resized and is larger than the work area is made to fit it, as
	// far as its size limits allow.
	if ((fWindow->Flags() & B_NOT_RESIZABLE) == 0) {
		QSize border = outer.size() - inner.size();
		QSize fits = inner.size().boundedTo(work.size() - border).expandedTo(minimumSize());
		inner.setSize(fits);
		outer.setSize(fits + border);
	}
	QPoint shift;
	if (outer.right() > work.right())
		shift.rx() = work.right() - outer.right();
	if (outer.left() + shift.x() < work.left())
		shift.rx() = work.left() - outer.left();
	if (outer.bottom() > work.bottom())
		shift.ry() = work.bottom() - outer.bottom();
	if (outer.top() + shift.y() < work.top())
		shift.ry() = work.top() - outer.top();
	if (!shift.isNull() || inner.size() != size())
		setGeometry(inner.translated(shift));
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
	// The close box asks the window, as Haiku does; the window decides whether to go.
	event->ignore();
	if (fWindow != nullptr)
		fWindow->PostMessage(B_QUIT_REQUESTED);
}

void WindowWidget::resizeEvent(QResizeEvent*)
{
	if (fWindow == nullptr)
		return;
	BRect bounds = fWindow->Bounds();
	if (BWindow::Private::Root(fWindow) != nullptr)
		BWindow::Private::Root(fWindow)->ResizeTo(bounds.Width(), bounds.Height());
	fWindow->FrameResized(bounds.Width(), bounds.Height());
}

void WindowWidget::moveEvent(QMoveEvent*)
{
	if (fWindow != nullptr)
		fWindow->FrameMoved(fWindow->Frame().LeftTop());
}

// Qt tells a widget that its window went to another screen; the window hears it once the
// widget's pixel ratio is the new screen's.
bool WindowWidget::event(QEvent* event)
{
	// Asked before QWidget::event, which deletes the widget on a deferred delete.
	bool screenChanged = event->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
		|| event->type() == QEvent::DevicePixelRatioChange
#endif
		;
	bool handled = QWidget::event(event);
	if (screenChanged && fWindow != nullptr)
		fWindow->ScreenChanged(BScreen(fWindow).Frame(), B_RGB32);
	return handled;
}

void WindowWidget::changeEvent(QEvent* event)
{
	QWidget::changeEvent(event);
	if (fWindow == nullptr || event->type() != QEvent::WindowStateChange)
		return;
	// Maximising is the window's own Zoom, which decides the size itself. Only the window
	// system's report zooms: a maximise asked for in code is reported back by the platform
	// too, and one maximise must zoom once. It zooms once the window manager has put the
	// window back: until then the window has the maximised one's border, often none.
	if (windowState() & Qt::WindowMaximized) {
		if (event->spontaneous()) {
			fZoomWhenRestored = true;
			fRestoreSeen = false;
		}
		setWindowState(windowState() & ~Qt::WindowMaximized);
	}
}

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	uint32)
	: BLooper(title), fData(new Data{new WindowWidget(this)}), fAdopted(false), fRoot(nullptr),
	fType(type), fFlags(flags), fMinMax(0, 0, 32768, 32768)
{
	Qt::WindowFlags qtFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
		| Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
	if (!(flags & B_NOT_ZOOMABLE) && !(flags & B_NOT_RESIZABLE))
		qtFlags |= Qt::WindowMaximizeButtonHint;
	fData->widget->setWindowFlags(qtFlags);
	fData->widget->setWindowTitle(shown_title(title));
	fData->widget->setGeometry(fill_rect(frame));
	if (flags & B_NOT_RESIZABLE)
		fData->widget->setFixedSize(fData->widget->size());

	fRoot = new BView(Bounds(), "_root_", B_FOLLOW_ALL_SIDES, 0);
	BView::Private::AttachToWindow(fRoot, this, fData->widget);
	register_window(this);
}

BWindow::BWindow(Data* adopted, const char* title)
	: BLooper(title), fData(adopted), fAdopted(true), fRoot(nullptr),
	fType(B_TITLED_WINDOW), fFlags(0),
	fMinMax(0, 0, 32768, 32768)
{
}

BWindow::~BWindow()
{
	if (!fAdopted) {
		unregister_window(this);
		static_cast<WindowWidget*>(fData->widget)->Detach();
		delete fRoot;
		fRoot = nullptr;
		retire_widget(fData->widget);
	}
	delete fData;
}

void BWindow::FrameResized(float, float)
{
}

void BWindow::FrameMoved(BPoint)
{
}

void BWindow::MenusBeginning()
{
}

void BWindow::ScreenChanged(BRect, color_space)
{
}

void BWindow::Zoom(BPoint origin, float width, float height)
{
	MoveTo(origin);
	ResizeTo(width, height);
}

void BWindow::Zoom()
{
	BRect screen = BScreen(this).WindowFrame();
	Zoom(screen.LeftTop(), screen.Width(), screen.Height());
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	BLooper::DispatchMessage(message, handler);
}

bool BWindow::QuitRequested()
{
	return true;
}

void BWindow::Quit()
{
	fData->widget->hide();
	if (!fAdopted)
		delete this;
}

void BWindow::Show()
{
	if (fAdopted)
		fData->widget->show();
	else
		static_cast<WindowWidget*>(fData->widget)->ShowInWorkArea();
}

void BWindow::Hide()
{
	fData->widget->hide();
}

bool BWindow::IsHidden() const
{
	return fData->widget->isHidden();
}

void BWindow::Activate(bool active)
{
	if (active) {
		fData->widget->raise();
		fData->widget->activateWindow();
	}
}

void BWindow::AddChild(BView* view, BView* before)
{
	if (fRoot != nullptr)
		fRoot->AddChild(view, before);
}

bool BWindow::RemoveChild(BView* view)
{
	return fRoot != nullptr && fRoot->RemoveChild(view);
}

int32 BWindow::CountChildren() const
{
	return fRoot != nullptr ? fRoot->CountChildren() : 0;
}

BView* BWindow::ChildAt(int32 index) const
{
	return fRoot != nullptr ? fRoot->ChildAt(index) : nullptr;
}

BView* BWindow::FindView(const char* name) const
{
	return fRoot != nullptr ? fRoot->FindView(name) : nullptr;
}

BRect BWindow::Frame() const
{
	return to_brect(fData->widget->geometry());
}

BRect BWindow::DecoratorFrame() const
{
	return to_brect(fData->widget->frameGeometry());
}

BRect BWindow::Bounds() const
{
	QSize size = fData->widget->size();
	return BRect(0, 0, size.width() - 1, size.height() - 1);
}

void BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}

void BWindow::MoveTo(float x, float y)
{
	QRect geometry = fData->widget->geometry();
	geometry.moveTo((int)x, (int)y);
	fData->widget->setGeometry(geometry);
}

void BWindow::ResizeTo(float width, float height)
{
	width = std::min(std::max(width, fMinMax.left), fMinMax.right);
	height = std::min(std::max(height, fMinMax.top), fMinMax.bottom);
	QSize size((int)width + 1, (int)height + 1);
	if (fAdopted)
		fData->widget->resize(size);
	else
		static_cast<WindowWidget*>(fData->widget)->ResizeExactly(size);
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fMinMax.Set(minWidth, minHeight, maxWidth, maxHeight);
	auto pixels = [](float value) {
		return (int)std::min(std::max(value + 1, 1.0f), (float)QWIDGETSIZE_MAX);
	};
	fData->widget->setMinimumSize(pixels(minWidth), pixels(minHeight));
	fData->widget->setMaximumSize(pixels(maxWidth), pixels(maxHeight));
}

void BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
	float* maxHeight) const
{
	if (minWidth != nullptr)
		*minWidth = fMinMax.left;
	if (maxWidth != nullptr)
		*maxWidth = fMinMax.right;
	if (minHeight != nullptr)
		*minHeight = fMinMax.top;
	if (maxHeight != nullptr)
		*maxHeight = fMinMax.bottom;
}

void BWindow::SetTitle(const char* title)
{
	fData->widget->setWindowTitle(shown_title(title));
	SetName(title);
}

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
	if (message == nullptr)
		return;
	std::shared_ptr<BMessage> owned(message);
	int32 token = target != nullptr ? target->Token() : Token();
	QShortcut* shortcut = new QShortcut(key_sequence(key, modifiers | B_COMMAND_KEY),
		fData->widget);
	shortcut->setContext(Qt::WindowShortcut);
	QObject::connect(shortcut, &QShortcut::activated, shortcut, [owned, token]() {
		if (BHandler* handler = BHandler::HandlerForToken(token)) {
			if (BLooper* looper = handler->Looper())
				looper->PostMessage(owned.get(), handler);
		}
	});
}

namespace {

// The view among view and its children whose widget takes the focus that focus has.
BView* view_with_focus(BView* view, QWidget* focus)
{
	if (view == nullptr)
		return nullptr;
	QWidget* widget = BView::Private::Widget(view);
	if (widget != nullptr && (widget == focus || widget->focusProxy() == focus))
		return view;
	for (int32 i = 0; i < view->CountChildren(); i++) {
		if (BView* found = view_with_focus(view->ChildAt(i), focus))
			return found;
	}
	return nullptr;
}

}

BView* BWindow::CurrentFocus() const
{
	QWidget* focus = fData->widget->focusWidget();
	if (focus == nullptr || fRoot == nullptr)
		return nullptr;
	BView* view = view_with_focus(fRoot, focus);
	return view != fRoot ? view : nullptr;
}

const char* BWindow::Title() const
{
	return Name();
}
