#ifndef TEVRA_TEST_TEMP_DIR_H
#define TEVRA_TEST_TEMP_DIR_H

#include <string>

// A fresh folder for one test, removed with everything in it when the test ends.
class temp_dir {
public:
	temp_dir();
	~temp_dir();

	const std::string& path() const { return fPath; }
	std::string file(const std::string& name) const { return fPath + "/" + name; }
	void write(const std::string& name, const std::string& content) const;
	std::string read(const std::string& name) const;

private:
	std::string fPath;
};

#endif
