#include <cstring>
#include <vector>

#include <AppFileInfo.h>
#include <Bitmap.h>
#include <BitmapStream.h>
#include <Message.h>
#include <Messenger.h>
#include <Node.h>
#include <Path.h>
#include <TranslatorRoster.h>

#include "model/catalogue_items.h"
#include "model/globals.h"
#include "model/safe_file.h"
#include "model/tevraview.h"

namespace {

const char kDesktopFolder[] = "/boot/home/Desktop";
const char kBackgroundAttr[] = "be:bgndimginfo";
const char kTrackerSignature[] = "application/x-vnd.Be-TRAK";
const uint32 kRereadBackground = 'Tbgr';

}

status_t tevraview::save(entry_ref* folder, const char* name)
{
	format_item* format = outfmt >= 0 ? (format_item*)xlt.ItemAt(outfmt) : nullptr;
	if (format == nullptr || tr == nullptr)
		return B_NO_TRANSLATOR;
	BEntry entry(folder, false);
	BPath path(&entry);
	if (path.InitCheck() != B_OK)
		return path.InitCheck();

	// The picture is read where it was composed, without a copy of its size: nothing draws
	// into it while it is written. The stream hands it back rather than freeing it.
	if (wallbmp == nullptr || !wallbmp->IsValid())
		return B_NO_MEMORY;
	BBitmapStream stream(wallbmp);
	struct hand_back {
		BBitmapStream* stream;
		~hand_back()
		{
			BBitmap* picture = nullptr;
			stream->DetachBitmap(&picture);
		}
	} back{&stream};

	// Yesterday's wallpaper stays until today's is written whole.
	safe_file file(path.Path(), name);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	status_t status = tr->Translate(&stream, nullptr, nullptr, file.File(), format->type);
	if (status != B_OK)
		return status;
	BAppFileInfo info(file.File());
	info.SetType(format->mime);
	return file.Commit();
}

status_t tevraview::set_wallpaper(const char* path)
{
	BNode desktop(kDesktopFolder);
	BMessage background(0);
	background.AddInt32("be:bgndimginfoworkspaces", 1);
	background.AddString("be:bgndimginfopath", path);
	background.AddInt32("be:bgndimginfomode", 1);
	background.AddPoint("be:bgndimginfooffset", BPoint(0, 0));
	background.AddBool("be:bgndimginfoerasetext", textback);

	// The attribute is replaced in one call, so a write that fails (a full disk, a read-only
	// folder) leaves the background recorded before it whole.
	std::vector<char> flat(background.FlattenedSize());
	status_t status = background.Flatten(flat.data(), flat.size());
	if (status == B_OK)
		status = desktop.InitCheck();
	if (status == B_OK) {
		ssize_t written = desktop.WriteAttr(kBackgroundAttr, B_MESSAGE_TYPE, 0, flat.data(),
			flat.size());
		status = written < 0 ? (status_t)written
			: (size_t)written != flat.size() ? B_IO_ERROR : B_OK;
	}

	BMessenger tracker(kTrackerSignature);
	tracker.SendMessage(kRereadBackground);
	return status;
}
