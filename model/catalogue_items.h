#ifndef TEVRA_CATALOGUE_ITEMS_H
#define TEVRA_CATALOGUE_ITEMS_H

#include <Font.h>
#include <TranslationDefs.h>

class BMenuItem;

// One output image format offered by the installed translators.
struct format_item {
	translator_id translator;
	uint32 type;
	char format_name[251];
	char mime[251];
	BMenuItem* menu_item;
};

// One installed font face.
struct font_item {
	font_family family;
	font_style style;
	BMenuItem* menu_items[3];
};

#endif
