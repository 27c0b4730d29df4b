// The README's table of design keys, the manual and the key table of the code name the same
// keys, so none of them can fall behind the others again.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "model/design_keys.h"

namespace {

std::string read_text(const std::string& path)
{
	std::ifstream file(path);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}

// Every `name` in the first column of the table headed "| key | value |".
std::set<std::string> readme_keys()
{
	std::string text = read_text(TEVRA_SOURCE_DIR "/README.md");
	std::set<std::string> keys;
	size_t at = text.find("| key | value |");
	if (at == std::string::npos)
		return keys;
	std::istringstream lines(text.substr(at));
	std::string line;
	std::getline(lines, line);
	while (std::getline(lines, line) && !line.empty() && line[0] == '|') {
		std::string first = line.substr(1, line.find('|', 1) - 1);
		std::regex name("`([a-z_]+)`");
		for (std::sregex_iterator i(first.begin(), first.end(), name), end; i != end; ++i)
			keys.insert((*i)[1]);
	}
	return keys;
}

// Every bold name of a tagged paragraph between "DESIGN FILE" and the next section.
std::set<std::string> manual_keys()
{
	std::string text = read_text(TEVRA_SOURCE_DIR "/dist/tevra.1");
	std::set<std::string> keys;
	size_t from = text.find(".SH DESIGN FILE");
	size_t to = text.find(".SH ", from + 1);
	if (from == std::string::npos)
		return keys;
	std::istringstream lines(text.substr(from, to - from));
	std::string line, before;
	std::regex name("[a-z][a-z_]*[a-z]");
	while (std::getline(lines, line)) {
		if (before == ".TP" && (line.rfind(".B ", 0) == 0 || line.rfind(".BR ", 0) == 0)) {
			std::string names = line.substr(line.find(' '));
			for (std::sregex_iterator i(names.begin(), names.end(), name), end; i != end; ++i)
				keys.insert(i->str());
		}
		before = line;
	}
	return keys;
}

TEST(KeyDocs, ReadmeManualAndCodeNameTheSameKeys)
{
	std::set<std::string> code;
	for (size_t k = 0; k < kDesignKeyCount; k++)
		code.insert(kDesignKeys[k].name);
	EXPECT_EQ(readme_keys(), code);
	EXPECT_EQ(manual_keys(), code);
}

}
