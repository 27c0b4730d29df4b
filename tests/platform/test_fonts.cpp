#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include <QFontInfo>
#include <QString>

#include <Font.h>

#include "platform/interface/font_catalogue.h"

// The catalogue and the lookup as Haiku has them, on the fonts scripts/install-deps test puts in
// place: DejaVu names its regular face "Book" and its slanted ones "Oblique"; the URW fonts
// come from two foundries each (Type 1 and OpenType), which Qt lists as separate families.

namespace {

std::string family_at(int32 index)
{
	font_family family;
	return get_font_family(index, &family) == B_OK ? family : "";
}

std::string style_at(const char* family, int32 index)
{
	font_style style;
	return get_font_style(family, index, &style) == B_OK ? style : "";
}

bool has_family(const char* wanted)
{
	for (int32 i = 0; i < count_font_families(); i++) {
		if (family_at(i) == wanted)
			return true;
	}
	return false;
}

TEST(FontCatalogue, OneEntryPerFamilyWithoutFoundryTags)
{
	std::set<std::string> seen;
	for (int32 i = 0; i < count_font_families(); i++) {
		std::string family = family_at(i);
		EXPECT_TRUE(seen.insert(family).second) << family << " is listed twice";
		EXPECT_EQ(family.find(" ["), std::string::npos) << family;
		std::set<std::string> styles;
		for (int32 j = 0; j < count_font_styles(family.c_str()); j++) {
			EXPECT_TRUE(styles.insert(style_at(family.c_str(), j)).second)
				<< family << " lists " << style_at(family.c_str(), j) << " twice";
		}
	}
	// Made by two foundries; the styles of both are merged into one family.
	ASSERT_TRUE(has_family("C059"));
	EXPECT_EQ(count_font_styles("C059"), 4);
}

TEST(FontCatalogue, RegularStyleComesFirst)
{
	const char* rows[][2] = {
		{"DejaVu Sans", "Book"},
		{"DejaVu Serif", "Book"},
		{"C059", "Roman"},
		{"Nimbus Sans", "Regular"},
		// No style is named as regular: the upright one nearest a normal weight.
		{"URW Bookman", "Light"},
	};
	for (const auto& row : rows)
		EXPECT_EQ(style_at(row[0], 0), row[1]) << row[0];
}

struct lookup_row {
	const char* family;
	const char* style;
	const char* wantFamily;
	const char* wantStyle;
};

TEST(FontLookup, ChoosesTheFaceHaikuWould)
{
	const lookup_row rows[] = {
		{"DejaVu Sans", "", "DejaVu Sans", "Book"},
		{"DejaVu Sans", "Regular", "DejaVu Sans", "Book"},
		{"DejaVu Sans", "Roman", "DejaVu Sans", "Book"},
		{"DejaVu Sans", "Normal", "DejaVu Sans", "Book"},
		{"DejaVu Sans", "Italic", "DejaVu Sans", "Oblique"},
		{"DejaVu Sans", "Bold Italic", "DejaVu Sans", "Bold Oblique"},
		{"DejaVu Sans", "Bold Oblique", "DejaVu Sans", "Bold Oblique"},
		{"DejaVu Sans", "no such style", "DejaVu Sans", "Book"},
		{"DejaVu Serif", "Oblique", "DejaVu Serif", "Italic"},
		{"C059", "", "C059", "Roman"},
		{"C059", "Regular", "C059", "Roman"},
		{"C059 [urw]", "bold", "C059", "Bold"},
		{"Nimbus Sans", "Bold Italic", "Nimbus Sans", "Bold Italic"},
		{"URW Bookman", nullptr, "URW Bookman", "Light"},
	};
	for (const lookup_row& row : rows) {
		SCOPED_TRACE(std::string(row.family) + " / " + (row.style != nullptr ? row.style : "-"));
		BFont font;
		ASSERT_EQ(font.SetFamilyAndStyle(row.family, row.style), B_OK);
		font_family family;
		font_style style;
		font.GetFamilyAndStyle(&family, &style);
		EXPECT_STREQ(family, row.wantFamily);
		EXPECT_STREQ(style, row.wantStyle);
		// The face Qt draws with: its family carries the foundry it took.
		QFontInfo drawn(to_qfont(font, nullptr));
		EXPECT_TRUE(drawn.family().startsWith(QString::fromUtf8(row.wantFamily)))
			<< drawn.family().toStdString();
		EXPECT_EQ(drawn.styleName().toStdString(), row.wantStyle);
	}
}

TEST(FontLookup, PlainIsTheRegularStyleAndBoldIsUpright)
{
	font_family family;
	font_style style;
	be_plain_font->GetFamilyAndStyle(&family, &style);
	EXPECT_EQ(style_at(family, 0), style) << family;
	if (count_font_styles(family) < 2)
		GTEST_SKIP() << family << " has a single style";
	QFontInfo bold(to_qfont(*be_bold_font, nullptr));
	EXPECT_GE(bold.weight(), QFont::DemiBold) << bold.styleName().toStdString();
	EXPECT_FALSE(bold.italic() || bold.styleName().contains("Oblique"))
		<< bold.styleName().toStdString();
}

}
