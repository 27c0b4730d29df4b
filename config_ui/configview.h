#ifndef TEVRA_CONFIGVIEW_H
#define TEVRA_CONFIGVIEW_H

#include <functional>
#include <string>
#include <vector>

#include <View.h>

#include "model/object.h"

class BButton;
class BMenuItem;
class BCheckBox;
class BMenuField;
class BPopUpMenu;
class BRadioButton;
class BStringView;
class BTextControl;
class rgbslider;
class slider;

// The settings panel: a selector row, and two pages that take turns below it, one for the
// base picture and the output, one for the calendar being edited.
class configview : public BView {
public:
	configview(BRect frame);
	~configview() override;

	void MessageReceived(BMessage* message) override;
	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;

	// Shows object which (-1: the base page; below -1: the page in view, refreshed).
	void redraw(int which);
	BPopUpMenu* setupfontmenu(int which);
	BPopUpMenu* setupformatmenu();
	BPopUpMenu* setupweekmenu();
	BPopUpMenu* setupholidaymenu();

	int32 edit_no;

	BView* config_base;
	BView* config_item;
	BView* base_mode_gr;
	BRadioButton* mono;
	BRadioButton* img_c;
	BRadioButton* img_f;
	BRadioButton* img_p;
	BButton* search;
	BTextControl* base_col;
	BTextControl* base_fn;
	BTextControl* bg_bounds_tc;
	BTextControl* screen_col;
	BCheckBox* auto_cb;
	BCheckBox* textback_cb;
	// Beyond the first panel: which of Japan's holidays and eras (one set of rules, the law
	// of each date, none), the calendar files and feeds whose events are drawn, and the
	// language of month and weekday names.
	BMenuField* holiday_rules_mf;
	BCheckBox* screens_cb;
	BTextControl* events_tc;
	BMenuField* events_mf;
	BTextControl* language_tc;
	BTextControl* holidays_tc;
	BMenuField* holidays_mf;
	rgbslider* base_col_sl;
	rgbslider* scrn_col_sl;
	BStringView* sel_label;
	BButton* back;
	BButton* next;
	BButton* add;
	BButton* del;
	BTextControl* bounds;
	BTextControl* bg_col;
	BTextControl* when;
	BTextControl* mark_col;
	BTextControl* year_col;
	BTextControl* month_col;
	BTextControl* day_col;
	BTextControl* sun_col;
	BTextControl* sat_col;
	BTextControl* holy_col;
	BTextControl* year_size;
	BTextControl* month_size;
	BTextControl* day_size;
	BView* bg_type_gr;
	BView* cal_type_gr;
	BView* year_type_gr;
	BView* month_type_gr;
	BView* today_deco_gr;
	BRadioButton* bg_wall;
	BRadioButton* bg_bubble;
	BRadioButton* day;
	BRadioButton* month;
	BRadioButton* year;
	BRadioButton* digit_y;
	BRadioButton* chinese_y;
	BRadioButton* gengo;
	BRadioButton* digit_m;
	BRadioButton* chinese_m;
	BRadioButton* old;
	BRadioButton* english;
	BRadioButton* mark_color;
	BRadioButton* mark_reverse;
	BRadioButton* mark_circle;
	BMenuField* year_font;
	BMenuField* month_font;
	BMenuField* day_font;
	BMenuField* output_format;
	slider* year_size_sl;
	slider* month_size_sl;
	slider* day_size_sl;
	rgbslider* bg_col_sl;
	rgbslider* mark_col_sl;
	rgbslider* year_col_sl;
	rgbslider* month_col_sl;
	rgbslider* day_col_sl;
	rgbslider* sun_col_sl;
	rgbslider* sat_col_sl;
	rgbslider* holy_col_sl;
	// Beyond the first panel: the week's first day, week numbers, the events' colour.
	BMenuField* week_start_mf;
	BCheckBox* week_no_cb;
	BTextControl* event_col;
	// The month's name in the design's language, and a row of weekday names.
	BCheckBox* month_language_cb;
	BCheckBox* week_header_cb;
	rgbslider* event_col_sl;
	// The traditional almanac: 六曜 in a month grid, the lunisolar date under a single date.
	BCheckBox* rokuyo_cb;

private:
	// One colour of the edited object: its text field, its slider and its field.
	struct color_row {
		BTextControl* text;
		rgbslider* knobs;
		uint32 object::*field;
		const char* format;
	};
	struct size_row {
		BTextControl* text;
		slider* knob;
		int32 object::*field;
	};
	// A group of the object page: the letter of its mask and its bit there, the controls
	// the bit enables, and how it shows an object.
	struct item_group {
		char mask;
		uint8 bit;
		std::vector<BView*> controls;
		std::function<void(const object*)> fill;
	};

	void _ValueChanged(BMessage* message);
	bool _ObjectValueChanged(void* source, object* item);
	void _SliderMoved(BMessage* message);
	void _ButtonHit(BMessage* message);
	void _MenuSelected(BMessage* message);
	void _OpenFilePanel(uint32 code, const BMessage* then = nullptr);
	// File commands: Save, Save as, New, Open and the application's Quit.
	void _FileCommand(BMessage* message);
	bool _CommitTyping(BMessage* message);
	void _Save(bool choose, const BMessage* then);
	void _AskBeforeDiscarding(BMessage* message);
	// The design on the desktop: saved as the daily design, drawn by create mode, set as the
	// background; and the daily redraw by the service manager's timer.
	void _SetAsWallpaper(BMessage* message);
	void _WallpaperDrawn(BMessage* message);
	void _RedrawEveryDay(BMessage* message);
	// Asks with two buttons, cancel first; the answer comes back as message with "yes".
	void _AskThen(const std::string& text, const char* yes, const BMessage& message);
	void _DiscardAnswered(BMessage* message);
	void _SendToPreview(uint32 code);
	void _SendToPreview(BMessage* message);
	object* _Edited();
	void _BuildBasePage();
	void _BuildItemPage();
	const std::vector<item_group>& _ItemGroups();
	void _FillEventList();
	bool _AddSource(BTextControl* field, std::vector<std::string>* sources);

	std::vector<color_row> fColorRows;
	std::vector<size_row> fSizeRows;
	std::vector<item_group> fItemGroups;
	BMenuItem* fWeekItems[7];
	// The holiday rules' items, for 0, 1 and -1.
	BMenuItem* fRuleItems[3];
	bool fBaseShown;
	bool fItemShown;
	// The serial of the calendar the page shows (edit_no is where it was then).
	uint32 fEditedSerial;
	// Create mode is drawing the daily design.
	bool fDrawing;
};

#endif
