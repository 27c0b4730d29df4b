#include "model/daily_design.h"

#include <cstdlib>
#include <sys/stat.h>
#include <vector>

#include <Directory.h>
#include <File.h>
#include <UTF8.h>

#include "model/design_paths.h"
#include "model/events.h"
#include "model/globals.h"
#include "model/safe_file.h"
#include "model/tevraview.h"

namespace {

const char kDesignName[] = "design.tevra";

std::string home_folder()
{
	const char* home = getenv("HOME");
	return home != nullptr && home[0] == '/' ? home : "";
}

bool read_whole(const std::string& path, std::string* data)
{
	BFile file(path.c_str(), B_READ_ONLY);
	off_t size = 0;
	if (file.InitCheck() != B_OK || file.GetSize(&size) != B_OK)
		return false;
	data->resize(size);
	return file.ReadAt(0, &(*data)[0], size) == (ssize_t)size;
}

// The name in folder under which the file's copy lies: its own when that is free or already
// holds the same bytes, else one with a number added, so that no file of the user's is
// replaced.
std::string copy_name(const std::string& folder, const std::string& leaf, const std::string& data)
{
	size_t dot = leaf.rfind('.');
	std::string stem = dot == std::string::npos || dot == 0 ? leaf : leaf.substr(0, dot);
	std::string extension = stem.size() == leaf.size() ? "" : leaf.substr(stem.size());
	std::string name = leaf;
	for (int n = 2;; n++) {
		std::string there;
		struct stat st;
		if (stat((folder + name).c_str(), &st) != 0 || (read_whole(folder + name, &there)
				&& there == data))
			return name;
		name = stem + "-" + std::to_string(n) + extension;
	}
}

status_t copy_beside(const std::string& path, const std::string& folder, std::string* name)
{
	std::string data;
	if (!read_whole(path, &data))
		return B_IO_ERROR;
	*name = copy_name(folder, path.substr(path.rfind('/') + 1), data);
	safe_file copy(folder.c_str(), name->c_str());
	if (copy.InitCheck() != B_OK)
		return copy.InitCheck();
	if (copy.File()->WriteAt(0, data.data(), data.size()) != (ssize_t)data.size())
		return B_IO_ERROR;
	return copy.Commit();
}

// The paths inside adopt, copied beside the design; the first failure is kept.
status_t adopt_files(const std::string& adopt, const std::string& folder)
{
	status_t status = B_OK;
	rewrite_design_paths([&](const std::string& given) {
		if (adopt.empty() || given.compare(0, adopt.size(), adopt) != 0 || status != B_OK)
			return given;
		std::string name;
		status = copy_beside(given, folder, &name);
		return status == B_OK ? name : given;
	});
	return status;
}

}

std::string daily_design_path()
{
	const char* config = getenv("XDG_CONFIG_HOME");
	std::string folder = config != nullptr && config[0] == '/' ? config
		: home_folder().empty() ? "" : home_folder() + "/.config";
	return folder.empty() ? "" : folder + "/tevra/" + kDesignName;
}

std::string daily_picture_path()
{
	std::string home = home_folder();
	return home.empty() ? "" : home + "/.local/share/tevra/wallpaper.png";
}

status_t save_daily_design(tevraview* view, const std::string& adopt)
{
	std::string daily = daily_design_path();
	if (daily.empty())
		return B_ENTRY_NOT_FOUND;
	std::string folder = folder_of(daily);
	status_t status = create_directory(folder.c_str(), 0755);
	if (status != B_OK)
		return status;

	// What changes before the write, put back should it fail.
	std::string before = design_path, image = baseimgpath;
	std::vector<std::string> events = event_sources, holidays = holiday_sources;
	move_paths(design_path, daily);
	design_path = daily;
	status = adopt_files(adopt.empty() || adopt.back() == '/' ? adopt : adopt + "/", folder);
	entry_ref folderRef;
	if (status == B_OK)
		status = get_ref_for_path(folder.c_str(), &folderRef);
	if (status == B_OK)
		status = view->save_config(&folderRef, kDesignName);
	if (status != B_OK) {
		design_path = before;
		copy_utf8(baseimgpath, image.c_str(), sizeof(baseimgpath));
		event_sources = events;
		holiday_sources = holidays;
	}
	return status;
}
