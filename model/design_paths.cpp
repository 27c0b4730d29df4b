#include "model/design_paths.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string design_path;
std::vector<std::string> unread_files;

namespace {

bool exists(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0;
}

bool kept_as_given(const std::string& given)
{
	return given.empty() || given[0] == '/' || given.compare(0, 2, "~/") == 0
		|| given.find("://") != std::string::npos;
}

std::string working_folder()
{
	char buffer[PATH_MAX];
	if (getcwd(buffer, sizeof(buffer)) == nullptr)
		return "";
	std::string folder = buffer;
	if (folder.empty() || folder.back() != '/')
		folder += '/';
	return folder;
}

// "./name" and "name" name the same file; the shorter reads better in a design.
std::string without_dot(const std::string& path)
{
	std::string result = path;
	while (result.compare(0, 2, "./") == 0)
		result.erase(0, 2);
	return result;
}

}

std::string folder_of(const std::string& file)
{
	size_t slash = file.rfind('/');
	return slash == std::string::npos ? "" : file.substr(0, slash + 1);
}

std::string absolute_path(const std::string& path)
{
	if (path.empty() || path[0] == '/')
		return path;
	return working_folder() + without_dot(path);
}

std::string design_file_path(const std::string& given)
{
	if (given.compare(0, 2, "~/") == 0) {
		const char* home = getenv("HOME");
		return home != nullptr ? home + given.substr(1) : given;
	}
	if (kept_as_given(given))
		return given;
	std::string folder = folder_of(design_path);
	if (!folder.empty() && exists(folder + given))
		return folder + given;
	return given;
}

std::string moved_design_path(const std::string& given, const std::string& from,
	const std::string& to)
{
	std::string fromFolder = folder_of(from), toFolder = folder_of(to);
	if (kept_as_given(given) || fromFolder == toFolder)
		return given;
	// The file it names now: beside the old design, else from the working folder; a file
	// found in neither is taken to be meant beside the design.
	std::string named;
	if (!fromFolder.empty() && exists(fromFolder + given))
		named = fromFolder + without_dot(given);
	else if (exists(given) || fromFolder.empty())
		named = absolute_path(given);
	else
		named = fromFolder + without_dot(given);
	if (!toFolder.empty() && named.compare(0, toFolder.size(), toFolder) == 0)
		return named.substr(toFolder.size());
	return named;
}
