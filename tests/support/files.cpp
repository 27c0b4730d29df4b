#include "tests/support/files.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/xattr.h>

std::string read_file(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream buffer;
	buffer << in.rdbuf();
	return buffer.str();
}

std::set<std::string> listing(const std::string& folder)
{
	std::set<std::string> names;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		names.insert(entry.path().filename().string());
	return names;
}

std::string xattr(const std::string& path, const char* name)
{
	ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
	if (size < 0)
		return "<none>";
	std::string value(size, '\0');
	size = getxattr(path.c_str(), name, &value[0], value.size());
	return size < 0 ? "<none>" : value.substr(0, size);
}
