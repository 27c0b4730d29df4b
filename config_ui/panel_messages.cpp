#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <Entry.h>
#include <CheckBox.h>
#include <FilePanel.h>
#include <MenuItem.h>
#include <RadioButton.h>
#include <TextControl.h>
#include <Window.h>

#include "config_ui/configview.h"
#include "config_ui/field_text.h"
#include "config_ui/rgbslider.h"
#include "config_ui/slider.h"
#include "model/design_paths.h"
#include "model/edit_history.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/holidays.h"
#include "model/labels.h"
#include "model/scan.h"
#include "shared_ui/design_state.h"
#include "shared_ui/find_view.h"
#include "shared_ui/messages.h"
#include "shared_ui/ui_globals.h"

namespace {

BView* preview_view()
{
	return find_view("preview");
}

}

void configview::_SendToPreview(uint32 code)
{
	BMessage message(code);
	_SendToPreview(&message);
}

void configview::_SendToPreview(BMessage* message)
{
	if (BView* target = preview_view())
		BMessenger(target).SendMessage(message, nullptr, B_INFINITE_TIMEOUT);
}

void configview::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kMsgValueChanged:
			_ValueChanged(message);
			note_change();
			break;
		case kMsgSliderMoved:
			_SliderMoved(message);
			break;
		case kMsgSliderReleased:
			note_change();
			break;
		case kMsgButtonHit:
			_ButtonHit(message);
			note_change();
			break;
		case kMsgMenuSelected:
			_MenuSelected(message);
			note_change();
			break;
		case kMsgEditRequest: {
			// The index comes whole; an int8 from an older sender still works.
			int32 index;
			int8 small;
			if (message->FindInt32("edit_no", &index) != B_OK) {
				if (message->FindInt8("edit_no", &small) != B_OK)
					break;
				index = small;
			}
			redraw(index);
			_SendToPreview(kMsgRedraw);
			break;
		}
		case kMsgSearchImage:
			_OpenFilePanel(message->what);
			break;
		case kMsgFileNew:
		case kMsgFileOpen:
		case kMsgFileSave:
		case kMsgFileSaveNow:
		case kMsgFileQuit:
		case kMsgOpenExample:
		case kMsgUndo:
		case kMsgRedo:
			_FileCommand(message);
			break;
		case kMsgSetWallpaper:
			_SetAsWallpaper(message);
			break;
		case kMsgWallpaperDrawn:
			_WallpaperDrawn(message);
			break;
		case kMsgRedrawDaily:
			_RedrawEveryDay(message);
			break;
		case kMsgAsked: {
			int32 which = -1;
			BMessage then;
			if (message->FindInt32("which", &which) == B_OK && which == 1
				&& message->FindMessage("then", &then) == B_OK)
				Looper()->PostMessage(&then, this);
			break;
		}
		case kMsgDiscardAnswer:
			_DiscardAnswered(message);
			break;
		// Files dropped on this window are taken where they are for the other one.
		case B_SIMPLE_DATA:
			_SendToPreview(message);
			break;
		case kMsgTypedImage: {
			// A name of nothing, even in a folder that exists, would only drop the image shown.
			// The name is kept as typed; a relative one is read from the design's folder first.
			entry_ref ref;
			std::string path = design_file_path(base_fn->Text());
			if (get_ref_for_path(path.c_str(), &ref) != B_OK || !BEntry(&ref).Exists())
				break;
			BMessage load(kMsgLoadImage);
			load.AddRef("refs", &ref);
			load.AddString("path", base_fn->Text());
			_SendToPreview(&load);
			break;
		}
		default:
			BView::MessageReceived(message);
			break;
	}
}

// A source is added once, whole; the field is left empty for the next.
bool configview::_AddSource(BTextControl* field, std::vector<std::string>* sources)
{
	std::string typed = field->Text();
	size_t start = typed.find_first_not_of(" \t");
	size_t end = typed.find_last_not_of(" \t");
	if (start == std::string::npos)
		return false;
	sources->push_back(typed.substr(start, end - start + 1));
	field->SetText("");
	return true;
}

void configview::_ValueChanged(BMessage* message)
{
	void* source;
	if (message->FindPointer("source", &source) != B_OK)
		return;
	object* item = _Edited();

	if (source == events_tc || source == holidays_tc) {
		if (_AddSource((BTextControl*)source,
				source == events_tc ? &event_sources : &holiday_sources)) {
			reload_events();
			_FillEventList();
			_SendToPreview(kMsgRedraw);
		}
		return;
	}
	if (source == language_tc) {
		// A locale name is one word; blanks around it are slips.
		std::string typed = language_tc->Text();
		size_t start = typed.find_first_not_of(" \t");
		typed = start == std::string::npos ? "" : typed.substr(start);
		typed = typed.substr(0, typed.find_first_of(" \t"));
		design_language = typed;
		language_tc->SetText(typed.c_str());
		_SendToPreview(kMsgRedraw);
		return;
	}
	if (source == screens_cb) {
		int32 value = 0;
		message->FindInt32("be:value", &value);
		screens = value != 0 ? kScreensAll : kScreensMain;
		_SendToPreview(kMsgRedraw);
		return;
	}
	if (source == auto_cb || source == textback_cb) {
		int32 value = 0;
		message->FindInt32("be:value", &value);
		(source == auto_cb ? autoset : ::textback) = value != 0;
		return;
	}
	if (source == screen_col) {
		if (scan_hex(screen_col->Text(), &scrn_color, kScanWhole))
			scrn_col_sl->SetValue(scrn_color);
		else
			set_text(screen_col, "%06x", (unsigned)scrn_color);
		return;
	}
	if (source == bg_bounds_tc) {
		// A half-typed value changes nothing: the field shows the stored one again.
		if (!scan_rect(bg_bounds_tc->Text(), &::bg_bounds, kScanWhole))
			set_rect_text(bg_bounds_tc, ::bg_bounds);
	} else if (source == base_col) {
		if (scan_hex(base_col->Text(), &base_color, kScanWhole))
			base_col_sl->SetValue(base_color);
		else
			set_text(base_col, "%06x", (unsigned)base_color);
	} else if (source == mono || source == img_c || source == img_f || source == img_p) {
		base_mode = source == mono ? kBaseColor : source == img_c ? kBaseFitScreen
			: source == img_f ? kBaseCenter : kBaseFitRect;
	} else {
		if (!_ObjectValueChanged(source, item))
			return;
	}
	_SendToPreview(kMsgRedraw);
}

// The controls of the object page; false when there is no object to change.
bool configview::_ObjectValueChanged(void* source, object* item)
{
	bool objectControl = source == bounds || source == when || source == bg_wall
		|| source == bg_bubble || source == day || source == month || source == year
		|| source == digit_y || source == chinese_y || source == gengo || source == digit_m
		|| source == chinese_m || source == old || source == english || source == mark_color
		|| source == mark_reverse || source == mark_circle || source == week_no_cb
		|| source == month_language_cb || source == week_header_cb || source == rokuyo_cb;
	for (const color_row& row : fColorRows)
		objectControl |= source == row.text;
	for (const size_row& row : fSizeRows)
		objectControl |= source == row.text;
	if (!objectControl)
		return true;
	if (item == nullptr)
		return false;

	if (source == bounds) {
		if (!scan_rect(bounds->Text(), &item->bounds, kScanWhole))
			set_rect_text(bounds, item->bounds);
	} else if (source == when) {
		if (!scan_int(when->Text(), &item->when, kScanWhole))
			set_text(when, "%d", (int)item->when);
	} else if (source == bg_wall || source == bg_bubble) {
		item->bg_type = source == bg_wall ? 0 : 1;
	} else if (source == day || source == month || source == year) {
		item->type = source == day ? kTypeDay : source == month ? kTypeMonth : kTypeYear;
		redraw(-2);
	} else if (source == digit_y || source == chinese_y || source == gengo) {
		item->year_type = source == digit_y ? 0 : source == chinese_y ? 1 : 2;
	} else if (source == digit_m || source == chinese_m || source == old
		|| source == english) {
		item->month_type = source == digit_m ? 0 : source == chinese_m ? 1
			: source == old ? 2 : 3;
	} else if (source == mark_color || source == mark_reverse || source == mark_circle) {
		item->today_mark = source == mark_color ? 0 : source == mark_reverse ? 1 : 2;
	} else if (source == week_no_cb) {
		item->week_numbers = week_no_cb->Value() != 0;
	} else if (source == month_language_cb) {
		item->month_type = month_language_cb->Value() != 0 ? kMonthTypeLanguage : 3;
		redraw(-2);
	} else if (source == week_header_cb) {
		item->week_header = week_header_cb->Value() != 0;
	} else if (source == rokuyo_cb) {
		item->rokuyo = rokuyo_cb->Value() != 0;
	}
	for (const color_row& row : fColorRows) {
		if (source != row.text)
			continue;
		// The stored colour keeps every typed bit, alpha included; the slider shows what
		// it can.
		if (scan_hex(row.text->Text(), &(item->*row.field), kScanWhole))
			row.knobs->SetValue(item->*row.field);
		else
			set_text(row.text, row.format, (unsigned)(item->*row.field));
	}
	for (const size_row& row : fSizeRows) {
		if (source != row.text)
			continue;
		if (scan_int(row.text->Text(), &(item->*row.field), kScanWhole))
			row.knob->SetValue(item->*row.field);
		else
			set_text(row.text, "%d", (int)(item->*row.field));
	}
	return true;
}

void configview::_SliderMoved(BMessage* message)
{
	void* source;
	if (message->FindPointer("source", &source) != B_OK)
		return;
	float value = 0;
	int32 argb = 0;
	bool hasValue = message->FindFloat("value", &value) == B_OK;
	bool hasColor = message->FindInt32("argb", &argb) == B_OK;

	if (source == scrn_col_sl) {
		if (hasColor) {
			scrn_color = argb;
			set_text(screen_col, "%06x", (unsigned)scrn_color);
		}
		return;
	}
	if (source == base_col_sl) {
		if (hasColor) {
			base_color = argb;
			set_text(base_col, "%06x", (unsigned)base_color);
		}
		_SendToPreview(kMsgRedraw);
		return;
	}
	object* item = _Edited();
	if (item == nullptr)
		return;
	for (const size_row& row : fSizeRows) {
		if (source == row.knob && hasValue) {
			item->*row.field = (int32)value;
			set_text(row.text, "%d", (int)(item->*row.field));
		}
	}
	for (const color_row& row : fColorRows) {
		if (source == row.knobs && hasColor) {
			item->*row.field = argb;
			set_text(row.text, row.format, (unsigned)(item->*row.field));
		}
	}
	_SendToPreview(kMsgRedraw);
}

void configview::_ButtonHit(BMessage* message)
{
	void* source;
	if (message->FindPointer("source", &source) != B_OK)
		return;
	// The buttons of a page whose calendar has gone act on nothing: "del" would remove
	// another one, "add" copy what is no longer there.
	if (edit_no >= 0 && _Edited() == nullptr && fItemShown)
		return;
	int32 n = obl.CountItems();
	int32 e = edit_no;
	int32 e2 = n == 0 ? -1 : e;
	if (n > 0 && source == back)
		e2 = (e < 0 ? n : e) - 1;
	else if (n > 0 && source == next)
		e2 = e < n - 1 ? e + 1 : -1;
	// An index that no longer names an object counts as the base page.
	if (e2 >= n)
		e2 = -1;

	enum { kNone, kSelection, kList } change = e2 != e ? kSelection : kNone;
	if (source == del && e2 >= 0) {
		delete (object*)obl.RemoveItem(e2);
		e2 = -1;
		change = kList;
	}
	if (source == add) {
		object* copied = e2 >= 0 ? (object*)obl.ItemAt(e2) : nullptr;
		e2 = e2 + 1;
		obl.AddItem(new object(copied), e2);
		change = kList;
	}
	if (change == kNone)
		return;
	redraw(e2);
	::sel_no = e2;
	_SendToPreview(change == kSelection ? kMsgSelect : kMsgRedraw);
}

void configview::_MenuSelected(BMessage* message)
{
	void* source;
	if (message->FindPointer("source", &source) != B_OK)
		return;
	int8 fontMenu = -1;
	int16 fontNumber = 0;
	int16 formatNumber = -1;
	message->FindInt8("font_menu", &fontMenu);
	message->FindInt16("font_no", &fontNumber);
	message->FindInt16("format_no", &formatNumber);
	int8 weekStart = -1;
	message->FindInt8("week_start", &weekStart);
	int32 eventNumber = -1;
	message->FindInt32("event_no", &eventNumber);
	int32 holidayNumber = -1;
	message->FindInt32("holiday_no", &holidayNumber);
	int8 rules = -2;
	message->FindInt8("holiday_rules", &rules);

	if (holidayNumber >= 0) {
		if ((size_t)holidayNumber >= holiday_sources.size())
			return;
		holiday_sources.erase(holiday_sources.begin() + holidayNumber);
		reload_events();
		_FillEventList();
		_SendToPreview(kMsgRedraw);
	} else if (rules >= -1 && rules <= 1) {
		holiday_rules = rules;
		_SendToPreview(kMsgRedraw);
	} else if (eventNumber >= 0) {
		if ((size_t)eventNumber >= event_sources.size())
			return;
		event_sources.erase(event_sources.begin() + eventNumber);
		reload_events();
		_FillEventList();
		_SendToPreview(kMsgRedraw);
	} else if (weekStart >= 0 && weekStart < 7) {
		object* item = _Edited();
		if (item == nullptr)
			return;
		item->week_start = weekStart;
		_SendToPreview(kMsgRedraw);
	} else if (fontMenu >= 0) {
		object* item = _Edited();
		if (item == nullptr)
			return;
		// The label is "family(style)"; a family may itself hold parentheses.
		std::string label = ((BMenuItem*)source)->Label();
		if (!label.empty())
			label.pop_back();
		size_t open = label.rfind('(');
		std::string family = label.substr(0, open);
		std::string style = open == std::string::npos ? "" : label.substr(open + 1);
		switch (fontMenu) {
			case 1:
				set_font_name(item->year_font, family.c_str(), style.c_str());
				item->year_font_no = fontNumber;
				break;
			case 2:
				set_font_name(item->month_font, family.c_str(), style.c_str());
				item->month_font_no = fontNumber;
				break;
			case 3:
				set_font_name(item->day_font, family.c_str(), style.c_str());
				item->day_font_no = fontNumber;
				break;
		}
		_SendToPreview(kMsgRedraw);
	} else if (formatNumber >= 0) {
		outfmt = formatNumber;
	}
}

void configview::_OpenFilePanel(uint32 code, const BMessage* then)
{
	// One file panel at a time, whichever command opened it.
	if (fp != nullptr)
		return;
	BView* target = preview_view();
	if (target == nullptr)
		return;
	file_panel_mode mode = code == kMsgFileSave ? B_SAVE_PANEL : B_OPEN_PANEL;
	BMessage answer(code == kMsgSearchImage ? kMsgLoadImage
		: code == kMsgFileOpen ? kMsgLoadConfig : kMsgSaveConfig);
	// What waits for the save: it goes on once the design is written.
	if (then != nullptr)
		answer.AddMessage("then", then);
	const char* title = code == kMsgSearchImage ? "select base-image"
		: code == kMsgFileOpen ? "load config" : "save config";
	BMessenger messenger(target);
	fp = new BFilePanel(mode, &messenger, nullptr, B_FILE_NODE, false, &answer, nullptr, false,
		true);
	fp->Window()->SetTitle(title);
	fp->Show();
}

// Save, Save as, New, Open, Quit, Undo and Redo first commit a value being typed, as leaving
// its field would; the command then comes back behind the commit.
bool configview::_CommitTyping(BMessage* message)
{
	bool committed = false;
	if (message->FindBool("committed", &committed) == B_OK && committed)
		return false;
	if (BView* focus = Window() != nullptr ? Window()->CurrentFocus() : nullptr) {
		focus->MakeFocus(false);
		focus->MakeFocus(true);
	}
	BMessage again(*message);
	again.AddBool("committed", true);
	Looper()->PostMessage(&again, this);
	return true;
}

void configview::_FileCommand(BMessage* message)
{
	if (_CommitTyping(message))
		return;
	BMessage then;
	bool waiting = message->FindMessage("then", &then) == B_OK;
	entry_ref dropped;
	bool given = message->FindRef("refs", &dropped) == B_OK;
	bool discard = false;
	message->FindBool("discard", &discard);
	switch (message->what) {
		case kMsgUndo:
		case kMsgRedo:
			_SendToPreview(message);
			return;
		case kMsgFileSaveNow:
		case kMsgFileSave:
			_Save(message->what == kMsgFileSave, waiting ? &then : nullptr);
			return;
		case kMsgFileOpen:
			// One file panel at a time: nothing to ask about while another is open. A dropped
			// design needs none.
			if (fp != nullptr && !given)
				return;
			break;
	}
	if (!discard && history.changed()) {
		_AskBeforeDiscarding(message);
		return;
	}
	switch (message->what) {
		case kMsgFileNew:
			_SendToPreview(kMsgClear);
			break;
		case kMsgFileOpen:
			if (given) {
				BMessage load(*message);
				load.what = kMsgLoadConfig;
				_SendToPreview(&load);
			} else {
				_OpenFilePanel(kMsgFileOpen);
			}
			break;
		case kMsgOpenExample: {
			// A copy with no file of its own: saving it asks where.
			BMessage load(*message);
			load.what = kMsgLoadConfig;
			load.AddBool("example", true);
			_SendToPreview(&load);
			break;
		}
		case kMsgFileQuit:
			quit_confirmed = true;
			be_app->PostMessage(B_QUIT_REQUESTED);
			break;
	}
}

// Save writes to the design's own file; with none yet (or for Save as) the save panel asks.
void configview::_Save(bool choose, const BMessage* then)
{
	// A design whose folder has gone is saved where the user chooses.
	entry_ref folder;
	if (choose || design_path.empty()
		|| get_ref_for_path(folder_of(design_path).c_str(), &folder) != B_OK) {
		_OpenFilePanel(kMsgFileSave, then);
		return;
	}
	BMessage write(kMsgSaveConfig);
	write.AddRef("directory", &folder);
	write.AddString("name", design_name().c_str());
	if (then != nullptr)
		write.AddMessage("then", then);
	_SendToPreview(&write);
}

void configview::_AskBeforeDiscarding(BMessage* message)
{
	std::string name = design_name();
	std::string text = name.empty() ? "Save the changes to the new design?"
		: "Save the changes to " + name + "?";
	text += "\n\nThey are lost if you do not save them.";
	BAlert* alert = new BAlert("", text.c_str(), "Cancel", "Don't save", "Save",
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	BMessage action(*message);
	action.AddBool("discard", true);
	BMessage* answer = new BMessage(kMsgDiscardAnswer);
	answer->AddMessage("action", &action);
	alert->Go(new BInvoker(answer, this));
}

void configview::_DiscardAnswered(BMessage* message)
{
	int32 which = -1;
	BMessage action;
	if (message->FindInt32("which", &which) != B_OK
		|| message->FindMessage("action", &action) != B_OK)
		return;
	enum { kCancel, kDontSave, kSave };
	if (which == kDontSave) {
		Looper()->PostMessage(&action, this);
	} else if (which == kSave) {
		// The command goes on only once the design is saved; a cancelled or failed save
		// leaves everything as it was.
		BMessage save(kMsgFileSaveNow);
		save.AddBool("committed", true);
		save.AddMessage("then", &action);
		Looper()->PostMessage(&save, this);
	}
}
