#ifndef TEVRA_TEST_SCOPED_ENV_H
#define TEVRA_TEST_SCOPED_ENV_H

#include <cstdlib>
#include <string>

// A variable of the environment set (or unset, with a null value) for a case and put back as
// it was when the case ends, however it ends: the cases of a binary share one process.
class scoped_env {
public:
	scoped_env(const char* name, const char* value) : fName(name)
	{
		const char* before = getenv(name);
		fHad = before != nullptr;
		if (fHad)
			fBefore = before;
		set(value);
	}
	scoped_env(const char* name, const std::string& value) : scoped_env(name, value.c_str()) {}
	~scoped_env()
	{
		if (fHad)
			setenv(fName.c_str(), fBefore.c_str(), 1);
		else
			unsetenv(fName.c_str());
	}
	scoped_env(const scoped_env&) = delete;
	scoped_env& operator=(const scoped_env&) = delete;

	void set(const char* value)
	{
		if (value != nullptr)
			setenv(fName.c_str(), value, 1);
		else
			unsetenv(fName.c_str());
	}

private:
	std::string fName;
	bool fHad;
	std::string fBefore;
};

#endif
