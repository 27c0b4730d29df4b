#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/files.h"

temp_dir::temp_dir()
{
	std::string pattern = (std::filesystem::temp_directory_path() / "tevra-test-XXXXXX").string();
	char* made = mkdtemp(&pattern[0]);
	fPath = made != nullptr ? made : "";
}

temp_dir::~temp_dir()
{
	if (fPath.empty())
		return;
	std::error_code ignored;
	// Tests may leave read-only folders behind; open them up so they can go.
	for (auto& entry : std::filesystem::recursive_directory_iterator(fPath, ignored))
		std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
			std::filesystem::perm_options::add, ignored);
	std::filesystem::permissions(fPath, std::filesystem::perms::owner_all,
		std::filesystem::perm_options::add, ignored);
	std::filesystem::remove_all(fPath, ignored);
}

void temp_dir::write(const std::string& name, const std::string& content) const
{
	std::ofstream out(file(name), std::ios::binary);
	out << content;
}

std::string temp_dir::read(const std::string& name) const
{
	return read_file(file(name));
}
