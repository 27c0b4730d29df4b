#ifndef TEVRA_TEST_DESIGN_SESSION_H
#define TEVRA_TEST_DESIGN_SESSION_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_app.h"
#include "tests/support/x_session.h"

// A test program's main for cases that edit a design as a user does: the files written into a
// folder of their own (*folder while the cases run), then the program started on the first of
// them, `tevra design.tevra`, on a display with a window manager, from a working folder that is
// not the design's. Without Xvfb or openbox the cases skip, *skip saying why.
inline int run_on_a_design(int argc, char** argv, temp_dir** folder, const char** skip,
	const std::vector<std::pair<std::string, std::string>>& files)
{
	testing::InitGoogleTest(&argc, argv);
	if (testing::GTEST_FLAG(list_tests))
		return RUN_ALL_TESTS();
	std::unique_ptr<x_session> session = x_session::for_tests(1024, 768, skip);
	if (session == nullptr)
		return RUN_ALL_TESTS();
	temp_dir dir;
	*folder = &dir;
	for (const auto& file : files)
		dir.write(file.first, file.second);
	int result = run_tests_in_app(dir.file(files.front().first));
	*folder = nullptr;
	return result;
}

#endif
