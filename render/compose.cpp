#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <Path.h>
#include <TranslatorFormats.h>
#include <TranslatorRoster.h>
#include <UTF8.h>

#include "model/design_paths.h"
#include "model/globals.h"
#include "model/tevraview.h"

namespace {

// The parts of box that none of covers takes in.
std::vector<BRect> uncovered(BRect box, const std::vector<BRect>& covers)
{
	std::vector<BRect> parts{box};
	for (const BRect& cover : covers) {
		std::vector<BRect> left;
		for (const BRect& part : parts) {
			BRect common = part & cover;
			if (!common.IsValid()) {
				left.push_back(part);
				continue;
			}
			if (common.top > part.top)
				left.push_back(BRect(part.left, part.top, part.right, common.top - 1));
			if (common.bottom < part.bottom)
				left.push_back(BRect(part.left, common.bottom + 1, part.right, part.bottom));
			if (common.left > part.left)
				left.push_back(BRect(part.left, common.top, common.left - 1, common.bottom));
			if (common.right < part.right)
				left.push_back(BRect(common.right + 1, common.top, part.right, common.bottom));
		}
		parts = left;
	}
	return parts;
}

}

void tevraview::create_wallpaper()
{
	SetHighColor((base_color >> 16) & 0xff, (base_color >> 8) & 0xff, base_color & 0xff, 255);
	wallbmp->Lock();
	wallbmp->AddChild(this);
	FillRect(scrn, B_SOLID_HIGH);

	if (baseimg != nullptr && base_mode != kBaseColor) {
		BRect destination;
		switch (base_mode) {
			case kBaseFitScreen:
				destination = scrn;
				break;
			case kBaseCenter: {
				// At its own size, so that its pixels are copied, not resampled; an image
				// larger than the screen is cut equally at both sides.
				int32 W = scrn.IntegerWidth(), H = scrn.IntegerHeight();
				int32 w = baseimg->Bounds().IntegerWidth();
				int32 h = baseimg->Bounds().IntegerHeight();
				destination.Set((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h);
				break;
			}
			case kBaseFitRect:
				// Inclusive rectangles: equal edges would still cover one pixel, but a
				// rectangle of no area holds no image.
				destination = bg_bounds;
				if (bg_bounds.Width() == 0 || bg_bounds.Height() == 0)
					destination.Set(0, 0, -1, -1);
				break;
			default:
				destination.Set(0, 0, -1, -1);
				break;
		}
		DrawBitmap(baseimg, destination);
		if (!keep_base) {
			delete baseimg;
			baseimg = nullptr;
		}
	}
	// Over several screens, what none of them shows is the base colour, whatever the image.
	if (scrns.size() > 1) {
		for (const BRect& unshown : uncovered(scrn, scrns))
			FillRect(unshown, B_SOLID_HIGH);
	}

	draw_cal();

	Sync();
	wallbmp->RemoveChild(this);
	wallbmp->Unlock();
}

bool tevraview::load(entry_ref* ref)
{
	delete baseimg;
	baseimg = nullptr;
	// Only a regular file is a picture: opening a named pipe would wait for a writer for ever,
	// and a device has no end.
	struct stat st;
	if (ref == nullptr || ref->Path() == nullptr || stat(ref->Path(), &st) != 0
		|| !S_ISREG(st.st_mode))
		return false;
	BFile file(ref, B_READ_ONLY);

	BBitmapStream stream;
	if (file.InitCheck() != B_OK || tr == nullptr)
		return false;
	if (tr->Translate(&file, nullptr, nullptr, &stream, B_TRANSLATOR_BITMAP) != B_OK)
		return false;
	BBitmap* decoded = nullptr;
	if (stream.DetachBitmap(&decoded) != B_OK || decoded == nullptr)
		return false;
	baseimg = decoded;
	BEntry entry(ref, false);
	BPath path(&entry);
	if (path.InitCheck() == B_OK)
		copy_utf8(baseimgpath, path.Path(), sizeof(baseimgpath));
	return true;
}

bool tevraview::load_base_image(const char* given)
{
	std::string path = design_file_path(given);
	entry_ref ref;
	bool loaded = get_ref_for_path(path.c_str(), &ref) == B_OK && load(&ref);
	if (!loaded) {
		delete baseimg;
		baseimg = nullptr;
		struct stat st;
		std::string reason = stat(path.c_str(), &st) != 0 ? strerror(errno)
			: "not a picture that can be read";
		base_unread = std::string(given) + ": " + reason;
		unread_files.push_back(base_unread);
	} else {
		base_unread.clear();
	}
	copy_utf8(baseimgpath, given, sizeof(baseimgpath));
	return loaded;
}
