#ifndef TEVRA_TEST_PARAM_ROWS_H
#define TEVRA_TEST_PARAM_ROWS_H

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Parameter rows carry a name: tests are named by it, and it is what a failure prints.
template <typename T>
std::string case_name(const testing::TestParamInfo<T>& info)
{
	return info.param.name;
}

#define TEVRA_PRINT_CASE(type) \
	inline void PrintTo(const type& c, std::ostream* os) { *os << c.name; }

#endif
