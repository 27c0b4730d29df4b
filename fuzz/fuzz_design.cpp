// The design reader on arbitrary bytes: whatever it makes of them must save, and the saved
// design must read back to the same settings and objects and save to the same bytes. Then
// the design is composed, as create mode and the preview do, on a small screen.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include <Bitmap.h>
#include <Entry.h>

#include "fuzz/fuzz_app.h"
#include "model/catalogue_items.h"
#include "model/globals.h"
#include "model/object.h"
#include "model/tevraview.h"

namespace {

tevraview* view = nullptr;

// What a design holds once read, as the file can carry it.
struct snapshot {
	int32 base_mode;
	uint32 base_color;
	std::string image_path;
	bool has_image;
	BRect image_size;
	BRect bg_bounds;
	std::string out_mime;
	bool autoset;
	bool textback;
	uint32 scrn_color;
	std::vector<object> objects;
};

snapshot take()
{
	snapshot s;
	s.base_mode = base_mode;
	s.base_color = base_color;
	s.image_path = baseimgpath;
	s.has_image = view->baseimg != nullptr;
	s.image_size = s.has_image ? view->baseimg->Bounds() : BRect();
	s.bg_bounds = bg_bounds;
	format_item* format = outfmt >= 0 ? (format_item*)xlt.ItemAt(outfmt) : nullptr;
	s.out_mime = format != nullptr ? format->mime : "";
	s.autoset = autoset;
	s.textback = textback;
	s.scrn_color = scrn_color;
	for (int32 i = 0; object* item = (object*)obl.ItemAt(i); i++)
		s.objects.push_back(*item);
	return s;
}

// A rectangle as the file holds it: whole pixels, toward zero, within 32 bits. Rectangles
// made in the program (a new object's, a quarter of the screen in) may have fractions.
BRect whole(BRect r)
{
	auto truncate = [](float v) {
		return v >= 2147483647.0f ? 2147483647.0f : v <= -2147483648.0f ? -2147483648.0f
			: (float)(int32)v;
	};
	return BRect(truncate(r.left), truncate(r.top), truncate(r.right), truncate(r.bottom));
}

// The first field in which two objects differ, or null.
const char* differing_field(const object& a, const object& b)
{
	auto same_font = [](const font_name x, const font_name y) {
		return strcmp(x[0], y[0]) == 0 && strcmp(x[1], y[1]) == 0;
	};
	// A font the catalogue lacks keeps the number it had before its name was read, so only
	// a known font's number is the same whatever came before it.
	auto same_number = [](const font_name name, int32 x, int32 y) {
		for (int32 i = 0; font_item* item = (font_item*)fontl.ItemAt(i); i++) {
			if (strcmp(item->family, name[0]) == 0 && strcmp(item->style, name[1]) == 0)
				return x == y;
		}
		return true;
	};
	const struct {
		const char* name;
		bool same;
	} fields[] = {
		{"bounds", whole(a.bounds) == whole(b.bounds)},
		{"type", a.type == b.type},
		{"when", a.when == b.when},
		{"bg_type", a.bg_type == b.bg_type},
		{"bg_color", a.bg_color == b.bg_color},
		{"year_type", a.year_type == b.year_type},
		{"year_font", same_font(a.year_font, b.year_font)},
		{"year_size", a.year_size == b.year_size},
		{"year_color", a.year_color == b.year_color},
		{"month_type", a.month_type == b.month_type},
		{"month_font", same_font(a.month_font, b.month_font)},
		{"month_size", a.month_size == b.month_size},
		{"month_color", a.month_color == b.month_color},
		{"day_font", same_font(a.day_font, b.day_font)},
		{"day_size", a.day_size == b.day_size},
		{"day_color", a.day_color == b.day_color},
		{"sun_color", a.sun_color == b.sun_color},
		{"sat_color", a.sat_color == b.sat_color},
		{"hol_color", a.hol_color == b.hol_color},
		{"today_mark", a.today_mark == b.today_mark},
		{"today_color", a.today_color == b.today_color},
		{"year_font_no", same_number(a.year_font, a.year_font_no, b.year_font_no)},
		{"month_font_no", same_number(a.month_font, a.month_font_no, b.month_font_no)},
		{"day_font_no", same_number(a.day_font, a.day_font_no, b.day_font_no)},
	};
	for (const auto& field : fields) {
		if (!field.same)
			return field.name;
	}
	return nullptr;
}

void compare(const snapshot& a, const snapshot& b)
{
	if (a.base_mode != b.base_mode || a.base_color != b.base_color)
		fuzz_fail("the base differs after saving and reading back");
	// A failed load keeps the path of the image before it, which then loads on reading
	// back; a picture that was there must come back the same.
	if (a.image_path != b.image_path || (a.has_image && !b.has_image)
		|| (a.has_image && a.image_size != b.image_size))
		fuzz_fail("the base image differs after saving and reading back");
	if (whole(a.bg_bounds) != whole(b.bg_bounds) || a.out_mime != b.out_mime || a.autoset != b.autoset
		|| a.textback != b.textback || a.scrn_color != b.scrn_color)
		fuzz_fail("a global setting differs after saving and reading back");
	if (a.objects.size() != b.objects.size())
		fuzz_fail("the object count differs after saving and reading back");
	for (size_t i = 0; i < a.objects.size(); i++) {
		if (const char* field = differing_field(a.objects[i], b.objects[i])) {
			fuzz_fail(("object " + std::to_string(i) + "'s " + field
				+ " differs after saving and reading back").c_str());
		}
	}
}

std::string read_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	return bytes.str();
}

// Base images are opened by the name the design gives; only the samples in the fuzzer's
// folder may be named, not the rest of the machine (devices, the fuzzer's own corpus).
bool names_only_samples(const uint8_t* data, size_t size)
{
	std::string text((const char*)data, size);
	std::istringstream lines(text);
	std::string line;
	static const char kKey[] = "base_image";
	while (std::getline(lines, line)) {
		line = line.c_str();
		if (line.compare(0, sizeof(kKey) - 1, kKey) != 0
			|| (line.size() > sizeof(kKey) - 1 && (unsigned char)line[sizeof(kKey) - 1] > 0x20))
			continue;
		if (line.find('/') != std::string::npos)
			return false;
	}
	return true;
}

entry_ref ref_of(const std::string& path)
{
	entry_ref ref;
	if (get_ref_for_path(path.c_str(), &ref) != B_OK)
		fuzz_fail("no reference for a path in the fuzzer's folder");
	return ref;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	start_tevra();
	// Designs and pictures are read from, and saved into, the fuzzer's folder.
	write_sample_images(fuzz_folder());
	// Every size and place still reaches the picture's edges; fewer pixels, more designs.
	scrn = BRect(0, 0, 319, 199);
	view = new tevraview(scrn);
	// Before the application goes (registered after it, so run first).
	atexit([] {
		delete view;
		view = nullptr;
	});
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (!names_only_samples(data, size))
		return -1;
	const std::string& folder = fuzz_folder();
	// Relative image names are taken from the folder the program runs in: the samples'.
	// Only for the length of one input, so the fuzzer's own paths keep their meaning.
	struct in_folder {
		int back = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		explicit in_folder(const std::string& folder)
		{
			if (back < 0 || chdir(folder.c_str()) != 0)
				fuzz_fail("cannot enter the fuzzer's folder");
		}
		~in_folder()
		{
			if (fchdir(back) != 0)
				fuzz_fail("cannot go back to the folder the fuzzer runs in");
			close(back);
		}
	} here_for_now(folder);
	{
		std::ofstream out(folder + "/input.tevra", std::ios::binary | std::ios::trunc);
		out.write((const char*)data, size);
	}
	entry_ref input = ref_of(folder + "/input.tevra");
	entry_ref here = ref_of(folder);
	view->load_config(&input);
	snapshot read = take();
	if (view->save_config(&here, "once.tevra") != B_OK)
		fuzz_fail("a design that was read cannot be saved");

	entry_ref once = ref_of(folder + "/once.tevra");
	view->load_config(&once);
	compare(read, take());
	if (view->save_config(&here, "twice.tevra") != B_OK)
		fuzz_fail("a saved design, read back, cannot be saved again");
	if (read_file(folder + "/once.tevra") != read_file(folder + "/twice.tevra"))
		fuzz_fail("a saved design saves differently once read back");
	view->create_wallpaper();
	return 0;
}
