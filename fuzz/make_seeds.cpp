// Writes the fuzzers' seed corpora into a folder: design/, message/, image/ and events/. The bundled
// examples are added by fuzz/run; these are the cases the tests care about, small.
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <Entry.h>
#include <File.h>
#include <Message.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>

#include "fuzz/fuzz_app.h"
#include "model/catalogue_items.h"
#include "model/globals.h"

namespace {

std::string root;

void write(const std::string& path, const std::string& bytes)
{
	std::ofstream out(root + "/" + path, std::ios::binary | std::ios::trunc);
	out << bytes;
}

void write_designs()
{
	// Every key once, each base image sample, and lines the reader must step over.
	write("design/every-key", "base_type\t3\nbase_color\t00102030\nbase_image\ta.png\n"
		"image_bounds\t10,20,300,200\nout_format\timage/jpeg\nwp_autoset\ty\nwp_textback\tn\n"
		"screen_color\t00abcdef\n\ntype\t0\nwhen\t-1\nbg_type\t1\nbg_color\t80ffffff\n"
		"year_color\t00ff0000\nmonth_color\t0000ff00\nday_color\t000000ff\nsun_color\t00ff00ff\n"
		"sat_color\t0000ffff\nhol_color\t00ffff00\ntoday_color\t00808080\nyear_size\t20\n"
		"month_size\t0\nday_size\t12\nyear_type\t2\nmonth_type\t3\ntoday_mark\t2\n"
		"year_font\tDejaVu Sans,Bold\nmonth_font\tIPAGothic,Regular\nday_font\tx,y,z\n"
		"bounds\t100,100,400,300\n");
	write("design/images", "base_type\t2\nbase_image\tb.jpg\nbase_image\tc.bmp\n"
		"base_image\td.gif\nbase_image\te.tga\nbase_image\tf\nbase_image\tmissing.png\n");
	write("design/copies", "type\t20\nbounds\t0,0,1919,1079\nbounds\tbad\ntype\t10\n"
		"bounds\t-2147483648,2147483647,5,5\n");
	write("design/odd-lines", "# a comment\n0 digits\n base_type\t1\nbase_type 2\n"
		"base_color\t0xffffffff\r\nwhen\t99999999999\ntype\t-1\nyear_type\t300\n"
		"out_format\timage/png\twith tab\nbounds\t1,2,3\n");
}

void write_events()
{
	// A zone of the file's own, a series with an exception, a moved instance, an
	// excluded one, an added one, and a cancelled event.
	write("events/series", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTIMEZONE\r\n"
		"TZID:Europe/Berlin\r\nBEGIN:STANDARD\r\nDTSTART:19701025T030000\r\n"
		"RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
		"END:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\n"
		"RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
		"END:DAYLIGHT\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:a\r\n"
		"DTSTART;TZID=Europe/Berlin:20260105T090000\r\nDURATION:PT15M\r\n"
		"RRULE:FREQ=WEEKLY;BYDAY=MO,TH;UNTIL=20261231T000000Z\r\n"
		"EXDATE;TZID=Europe/Berlin:20260316T090000\r\nRDATE;VALUE=DATE:20260318\r\n"
		"SUMMARY:Standup\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:a\r\n"
		"RECURRENCE-ID;TZID=Europe/Berlin:20260323T090000\r\n"
		"DTSTART;TZID=Europe/Berlin:20260324T090000\r\nSUMMARY:Moved\r\nEND:VEVENT\r\n"
		"BEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:19900314\r\nRRULE:FREQ=YEARLY\r\n"
		"SUMMARY:Birthday\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:c\r\nSTATUS:CANCELLED\r\n"
		"DTSTART:20260325T100000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
}

void write_message(const std::string& name, const BMessage& message)
{
	std::string flat(message.FlattenedSize(), '\0');
	message.Flatten(&flat[0], flat.size());
	write("message/" + name, flat);
}

void write_messages()
{
	// The desktop background attribute as create mode writes it.
	BMessage background(0);
	background.AddInt32("be:bgndimginfoworkspaces", 1);
	background.AddString("be:bgndimginfopath", "/home/someone/wall.png");
	background.AddInt32("be:bgndimginfomode", 1);
	background.AddPoint("be:bgndimginfooffset", BPoint(0, 0));
	background.AddBool("be:bgndimginfoerasetext", true);
	write_message("background", background);

	BMessage every('Vchg');
	every.AddInt8("int8", -3);
	every.AddInt16("int16", 300);
	every.AddInt32("int32", 70000);
	every.AddInt32("int32", -1);
	every.AddInt64("int64", 1LL << 40);
	every.AddFloat("float", 1.5f);
	every.AddDouble("double", 2.25);
	every.AddBool("bool", false);
	every.AddString("string", "壁紙");
	every.AddString("string", "");
	every.AddPoint("point", BPoint(3, 4));
	every.AddRect("rect", BRect(1, 2, 3, 4));
	entry_ref ref;
	get_ref_for_path("/tmp/design.tevra", &ref);
	every.AddRef("refs", &ref);
	every.AddData("bytes", 'RAWT', "abc", 3, false);
	every.AddData("bytes", 'RAWT', "de", 2, false);
	write_message("every-type", every);

	BMessage outer('Preq');
	outer.AddInt32("edit_no", 300);
	outer.AddMessage("inner", &background);
	write_message("nested", outer);
	write_message("empty", BMessage('_QRQ'));
}

void write_image(const std::string& name, uint32 type, int width, int height, bool alpha)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1),
		alpha ? B_RGBA32 : B_RGB32);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = (alpha ? (uint32)(x * 255 / width) << 24 : 0xff000000)
				| (x * 37 % 256) << 16 | (y * 53 % 256) << 8 | ((x ^ y) * 29 % 256);
	}
	BBitmapStream stream(bitmap);
	BFile file((root + "/image/" + name).c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	if (file.InitCheck() == B_OK)
		tr->Translate(&stream, nullptr, nullptr, &file, type);
}

void write_images()
{
	// One small picture in every format the program writes, one with alpha where it keeps it.
	for (int32 i = 0; format_item* format = (format_item*)xlt.ItemAt(i); i++) {
		char code[5];
		for (int k = 0; k < 4; k++)
			code[k] = (char)(format->type >> (24 - 8 * k));
		code[4] = '\0';
		std::string name = std::string(code);
		while (!name.empty() && name.back() == ' ')
			name.pop_back();
		write_image(name + "-16x12", format->type, 16, 12, false);
		write_image(name + "-9x7-alpha", format->type, 9, 7, true);
	}
	// Qt writes neither GIF nor Targa; the samples the design fuzzer uses are hand-made.
	write_sample_images(root + "/image");
	for (const char* sample : {"a.png", "b.jpg", "c.bmp"})
		std::remove((root + "/image/" + sample).c_str());
	rmdir((root + "/image/f").c_str());
	// A run-length Targa: a repeated packet, then a raw one.
	const unsigned char rle[] = {
		0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 24, 0,
		0x82, 0x10, 0x20, 0x30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9,
	};
	write("image/rle.tga", std::string((const char*)rle, sizeof(rle)));
}

}

int main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: make_seeds folder\n");
		return 1;
	}
	root = argv[1];
	for (const char* sub : {"", "/design", "/message", "/image", "/events"})
		mkdir((root + sub).c_str(), 0755);
	start_tevra();
	write_designs();
	write_messages();
	write_images();
	write_events();
	return 0;
}
