#include "storage_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

std::string without_trailing_slashes(std::string path)
{
	while (path.size() > 1 && path.back() == '/')
		path.pop_back();
	return path;
}

bool is_folder(const std::string& path)
{
	struct stat info;
	return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes the folder and its missing parents, private to the user as XDG's folders are.
void make_folders(const std::string& path)
{
	for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
		std::string part = path.substr(0, slash);
		if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
			return;
		if (slash == std::string::npos)
			return;
	}
}

// The desktop folder that the user's desktop and file manager show: the one user-dirs.dirs
// names (often translated, "Schreibtisch", "Bureau"), or $HOME/Desktop.
std::string xdg_desktop_folder(const std::string& home)
{
	const char* config = getenv("XDG_CONFIG_HOME");
	std::string file = (config != nullptr && config[0] == '/' ? std::string(config)
		: home + "/.config") + "/user-dirs.dirs";
	std::string folder = home + "/Desktop";
	FILE* in = fopen(file.c_str(), "re");
	if (in == nullptr)
		return folder;
	static const char kKey[] = "XDG_DESKTOP_DIR=\"";
	char line[4096];
	while (fgets(line, sizeof(line), in) != nullptr) {
		const char* text = line + strspn(line, " \t");
		if (strncmp(text, kKey, sizeof(kKey) - 1) != 0)
			continue;
		// A shell-quoted value: "$HOME/name" or an absolute path, backslashes escaping.
		std::string value;
		const char* c = text + sizeof(kKey) - 1;
		for (; *c != '\0' && *c != '"'; c++) {
			if (*c == '\\' && c[1] != '\0')
				c++;
			value += *c;
		}
		if (*c != '"')
			continue;
		if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
			folder = without_trailing_slashes(home + value.substr(5));
		else if (!value.empty() && value[0] == '/')
			folder = without_trailing_slashes(value);
	}
	fclose(in);
	return folder;
}

// Haiku's Desktop folder always exists, and the background is recorded on it. Many set-ups
// here have none (minimal installs, tiling window managers), so a folder of our own in the
// XDG state folder stands in for it until the user's desktop folder appears.
std::string desktop_folder(const std::string& home)
{
	std::string folder = xdg_desktop_folder(home);
	if (is_folder(folder))
		return folder;
	const char* state = getenv("XDG_STATE_HOME");
	folder = (state != nullptr && state[0] == '/' ? without_trailing_slashes(state)
		: home + "/.local/state") + "/tevra/Desktop";
	make_folders(folder);
	return folder;
}

// Whether path is prefix itself or lies inside it; *rest is what follows the prefix.
bool inside(const char* path, const char* prefix, const char** rest)
{
	size_t length = strlen(prefix);
	if (strncmp(path, prefix, length) != 0 || (path[length] != '\0' && path[length] != '/'))
		return false;
	*rest = path + length;
	return true;
}

}

const char* map_haiku_path(const char* path, char* buffer, size_t size)
{
	const char* rest = nullptr;
	if (path == nullptr || !inside(path, "/boot/home", &rest))
		return path;
	const char* homeValue = getenv("HOME");
	if (homeValue == nullptr || homeValue[0] != '/')
		return path;
	std::string home = without_trailing_slashes(homeValue);
	std::string mapped = inside(path, "/boot/home/Desktop", &rest)
		? desktop_folder(home) + rest : home + rest;
	if (mapped.size() + 1 > size)
		return path;
	memcpy(buffer, mapped.c_str(), mapped.size() + 1);
	return buffer;
}
