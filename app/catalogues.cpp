#include <cstring>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>
#include <UTF8.h>

#include "app/tevra.h"
#include "model/catalogue_items.h"
#include "model/globals.h"

void tevra::get_translator_for_output()
{
	// The translators that accept a bitmap are those that read this little probe.
	BBitmap* probe = new BBitmap(BRect(0, 0, 7, 7), B_RGB32, false, false);
	BBitmapStream stream(probe);

	translator_info* translators = nullptr;
	int32 count = 0;
	tr->GetTranslators(&stream, nullptr, &translators, &count, 0, nullptr, 0);
	for (int32 i = 0; i < count; i++) {
		const translation_format* formats = nullptr;
		int32 formatCount = 0;
		if (tr->GetOutputFormats(translators[i].translator, &formats, &formatCount) != B_OK)
			continue;
		for (int32 j = 0; j < formatCount; j++) {
			if (formats[j].type == B_TRANSLATOR_BITMAP || formats[j].type == 'mhi!')
				continue;
			format_item* item = new format_item;
			item->translator = translators[i].translator;
			item->type = formats[j].type;
			copy_utf8(item->format_name, formats[j].name, sizeof(item->format_name));
			copy_utf8(item->mime, formats[j].MIME, sizeof(item->mime));
			item->menu_item = nullptr;
			// Targa goes first, the one found last at the very front.
			if (item->type == 'TGA ')
				xlt.AddItem(item, 0);
			else
				xlt.AddItem(item);
			trc++;
		}
	}
	delete[] translators;
}

void tevra::get_fonts()
{
	font_family plainFamily;
	font_style plainStyle;
	be_plain_font->GetFamilyAndStyle(&plainFamily, &plainStyle);

	int32 n = 0;
	int32 families = count_font_families();
	for (int32 i = 0; i < families; i++) {
		font_family family;
		get_font_family(i, &family);
		int32 styles = count_font_styles(family);
		for (int32 j = 0; j < styles; j++) {
			font_style style;
			get_font_style(family, j, &style);
			font_item* item = new font_item;
			memcpy(item->family, family, sizeof(item->family));
			memcpy(item->style, style, sizeof(item->style));
			for (BMenuItem*& menuItem : item->menu_items)
				menuItem = nullptr;
			fontl.AddItem(item);
			if (strcmp(family, plainFamily) == 0 && strcmp(style, plainStyle) == 0)
				dfn = n;
			n++;
		}
	}
}
