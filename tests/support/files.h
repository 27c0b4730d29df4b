#ifndef TEVRA_TEST_FILES_H
#define TEVRA_TEST_FILES_H

#include <set>
#include <string>

// The whole file, "" when it cannot be read.
std::string read_file(const std::string& path);
// The names in a folder, without "." and "..".
std::set<std::string> listing(const std::string& folder);
// An extended attribute's bytes, "<none>" when the file has none of that name.
std::string xattr(const std::string& path, const char* name);

#endif
