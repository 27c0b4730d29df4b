#include <gtest/gtest.h>

#include "tests/support/test_app.h"

// Platform and system tests run inside the real application object, as the program does:
// catalogues built, screen measured, settings at their defaults.
int main(int argc, char** argv)
{
	testing::InitGoogleTest(&argc, argv);
	return run_tests_in_app();
}
