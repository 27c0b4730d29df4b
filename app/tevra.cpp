#include "app/tevra.h"

#include <cstdio>

#include <Entry.h>
#include <Screen.h>

#include "app/catalogues.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"

const char kSignature[] = "application/x-vnd.Vimo-tevra";
const char kUsage[] = "tevra ver.0.02\nusage :\n\ttevra\t\t\t\t: config mode\n"
	"\ttevra config_file output_file\t: create mode\n";

tevra::tevra(int argc, char**)
	: BApplication(kSignature), view(nullptr), pwin(nullptr), cwin(nullptr), exit_status(0)
{
	fp = nullptr;
	get_translator_for_output();
	get_fonts();
	{
		BScreen screen(B_MAIN_SCREEN_ID);
		scrn = screen.Frame();
	}
	view = new tevraview(scrn);

	if (argc == 3) {
		// Create mode: the steps that make and write the picture join here as they land.
	}

	delete view;
	view = nullptr;
}

tevra::~tevra()
{
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++)
		delete item;
	for (int32 i = 0; format_item* item = (format_item*)xlt.ItemAt(i); i++)
		delete item;
	for (int32 i = 0; font_item* item = (font_item*)fontl.ItemAt(i); i++)
		delete item;
	// The lists are static; emptying them lets a later application start clean.
	obl.MakeEmpty();
	xlt.MakeEmpty();
	fontl.MakeEmpty();
	trc = 0;
	dfn = 0;
}

void tevra::AboutRequested()
{
}
