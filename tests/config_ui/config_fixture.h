#ifndef TEVRA_TEST_CONFIG_FIXTURE_H
#define TEVRA_TEST_CONFIG_FIXTURE_H

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <Button.h>
#include <CheckBox.h>
#include <FilePanel.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>
#include <Window.h>

#include "config_ui/configview.h"
#include "config_ui/configwindow.h"
#include "config_ui/rgbslider.h"
#include "config_ui/slider.h"
#include "model/catalogue_items.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/object.h"
#include "model/tevraview.h"
#include "preview_ui/preview.h"
#include "preview_ui/prevwindow.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"
#include "tests/support/panel_input.h"
#include "tests/support/param_rows.h"
#include "tests/support/print_geometry.h"
#include "tests/support/test_app.h"
#include "tests/support/ui_events.h"

// The preview window as config mode makes it, noting every message its view is sent.
class watched_prevwindow : public prevwindow {
public:
	explicit watched_prevwindow(BRect frame) : prevwindow(frame) {}
	void DispatchMessage(BMessage* message, BHandler* handler) override
	{
		if (handler == preview_view)
			received.push_back(message->what);
		prevwindow::DispatchMessage(message, handler);
	}
	std::vector<uint32> received;
};

// The configuration window as config mode makes it, keeping what its panel is sent.
class watched_configwindow : public configwindow {
public:
	explicit watched_configwindow(BRect frame) : configwindow(frame) {}
	void DispatchMessage(BMessage* message, BHandler* handler) override
	{
		if (handler == panel)
			received.push_back(*message);
		configwindow::DispatchMessage(message, handler);
	}
	std::vector<BMessage> received;
};

// Both windows of config mode at the frames the application gives them on this screen,
// known to the application so that each finds the other; the design starts at its defaults
// and is put back to them afterwards.
class config_mode : public testing::Test {
protected:
	void SetUp() override
	{
		tevraview(scrn).clr_obj();
		float W = scrn.Width(), H = scrn.Height();
		pwin = new watched_prevwindow(BRect(10, 30, W - 420, H - 10));
		cwin = new watched_configwindow(BRect(W - 400, H - 400, W, H));
		test_app()->pwin = pwin;
		test_app()->cwin = cwin;
		panel = cwin->panel;
		view = pwin->preview_view;
		settle();
		sent();
		cwin->received.clear();
	}

	void TearDown() override
	{
		delete fp;
		fp = nullptr;
		if (cwin != nullptr)
			cwin->Quit();
		if (pwin != nullptr)
			pwin->Quit();
		forget_windows();
		settle();
		tevraview(scrn).clr_obj();
	}

	// The windows went (the application quit them).
	void forget_windows()
	{
		cwin = nullptr;
		pwin = nullptr;
		panel = nullptr;
		view = nullptr;
		test_app()->pwin = nullptr;
		test_app()->cwin = nullptr;
	}

	// Lets every queued message between the windows be handled.
	static void settle() { process_events(5); }

	// The codes the preview view was sent since the last call.
	std::vector<uint32> sent()
	{
		std::vector<uint32> codes;
		codes.swap(pwin->received);
		return codes;
	}

	// A message to the panel as a control or the preview sends it, handled.
	void post(BMessage* message)
	{
		cwin->PostMessage(message, panel);
		settle();
	}
	void post(uint32 what)
	{
		BMessage message(what);
		post(&message);
	}

	// The preview recomposed as the panel asks for it.
	void redraw_preview()
	{
		BMessage redraw(kMsgRedraw);
		pwin->PostMessage(&redraw, view);
		settle();
		sent();
	}

	// What the preview tells the panel when the selection changes.
	void request_edit(int32 index)
	{
		sel_no = index;
		BMessage request(kMsgEditRequest);
		request.AddInt32("edit_no", index);
		post(&request);
		sent();
	}

	// A calendar of the given kind added to the design; its index.
	int add_object(uint8 type, BRect bounds = BRect(100, 100, 300, 250))
	{
		object* item = new object(nullptr);
		item->type = type;
		item->bounds = bounds;
		obl.AddItem(item);
		return obl.CountItems() - 1;
	}

	object* item(int index) const { return (object*)obl.ItemAt(index); }

	// The "File" menu's item with that label.
	BMenuItem* file_item(const char* label) const
	{
		BMenuBar* bar = dynamic_cast<BMenuBar*>(cwin->FindView("menubar"));
		if (bar == nullptr || bar->ItemAt(0) == nullptr || bar->ItemAt(0)->Submenu() == nullptr)
			return nullptr;
		return bar->ItemAt(0)->Submenu()->FindItem(label);
	}

	// A point of the panel in the configuration window's content area.
	static BPoint in_window(BPoint panelPoint) { return BPoint(panelPoint.x, panelPoint.y + 20); }

	watched_prevwindow* pwin = nullptr;
	watched_configwindow* cwin = nullptr;
	configview* panel = nullptr;
	preview* view = nullptr;
};

#endif
