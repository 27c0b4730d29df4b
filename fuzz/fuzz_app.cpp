#include "fuzz/fuzz_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>
#include <Window.h>

#include "app/tevra.h"
#include "model/globals.h"
#include "model/today.h"

void start_tevra()
{
	// The screen create mode uses without a display, whatever the fuzzing shell has.
	unsetenv("DISPLAY");
	unsetenv("WAYLAND_DISPLAY");
	unsetenv("QT_QPA_PLATFORM");
	tr = BTranslatorRoster::Default();
	read_today();
	static char arg0[] = "tevra";
	static char* args[] = {arg0, nullptr};
	// Kept for the whole run, as the catalogues live as long as the application, and ended
	// at exit before the lists it fills go, as the program ends it.
	static tevra* app = new tevra(1, args);
	while (app->CountWindows() > 0)
		app->WindowAt(app->CountWindows() - 1)->Quit();
	app->pwin = nullptr;
	app->cwin = nullptr;
	atexit([] {
		delete app;
		app = nullptr;
	});
}

const std::string& fuzz_folder()
{
	static std::string folder;
	if (folder.empty()) {
		struct stat st;
		std::string base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm"
			: getenv("TMPDIR") != nullptr ? getenv("TMPDIR") : "/tmp";
		std::string pattern = base + "/tevra-fuzz-XXXXXX";
		if (mkdtemp(&pattern[0]) == nullptr)
			fuzz_fail("cannot make a folder to work in");
		folder = pattern;
		atexit([] { std::filesystem::remove_all(folder); });
	}
	return folder;
}

namespace {

void write_image(const std::string& path, uint32 type, int width, int height)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((char*)bitmap->Bits() + (size_t)y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++)
			row[x] = 0xff000000 | (x * 16) << 16 | (y * 16) << 8 | 0x80;
	}
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
	if (file.InitCheck() != B_OK
		|| tr->Translate(&stream, nullptr, nullptr, &file, type) != B_OK)
		fuzz_fail(("cannot write the sample " + path).c_str());
}

void write_bytes(const std::string& path, const unsigned char* bytes, size_t size)
{
	std::ofstream out(path, std::ios::binary);
	out.write((const char*)bytes, size);
}

}

// A 2 x 2 GIF with a four-colour palette, and a 2 x 2 true-colour Targa, by hand: Qt writes
// neither.
const unsigned char kGif[] = {
	'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0,
	0xff, 0, 0, 0, 0xff, 0, 0, 0, 0xff, 0xff, 0xff, 0xff,
	0x2c, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 3, 0x44, 0x34, 0x05, 0, 0x3b,
};
const unsigned char kTga[] = {
	0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20,
	0, 0, 0xff, 0, 0xff, 0, 0xff, 0, 0, 0xff, 0xff, 0xff,
};

void write_sample_images(const std::string& folder)
{
	write_image(folder + "/a.png", B_PNG_FORMAT, 16, 12);
	write_image(folder + "/b.jpg", B_JPEG_FORMAT, 16, 12);
	write_image(folder + "/c.bmp", B_BMP_FORMAT, 16, 12);
	write_bytes(folder + "/d.gif", kGif, sizeof(kGif));
	write_bytes(folder + "/e.tga", kTga, sizeof(kTga));
	mkdir((folder + "/f").c_str(), 0755);
}

void fuzz_fail(const char* what)
{
	fprintf(stderr, "fuzz finding: %s\n", what);
	fflush(stderr);
	abort();
}
