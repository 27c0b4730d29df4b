#ifndef TEVRA_TEST_TEST_APP_H
#define TEVRA_TEST_TEST_APP_H

#include <string>

#include <Rect.h>

#include "app/tevra.h"

// The application every platform and system test runs in: the real tevra, started in config
// mode.
class test_tevra : public tevra {
public:
	test_tevra(int argc, char** argv) : tevra(argc, argv) {}

	// What config mode opened at start, before the tests closed it: the preview window.
	struct {
		bool opened = false;
		bool shown = false;
		BRect frame;
		std::string title;
	} startup_window;
	// And the configuration window it opened.
	struct {
		bool opened = false;
		bool shown = false;
		BRect frame;
		std::string title;
		uint32 flags = 0;
	} startup_config;
};

// The program the tests run in, while run_tests_in_app runs them.
test_tevra* test_app();

// Runs every test inside the program started as a user starts it, `tevra` or `tevra design`;
// what config mode opened is noted. Without a design its
// windows are closed first, so that no other preview draws with the shared selection state and
// the tests make the windows they need; with one, the tests use the windows it opened.
int run_tests_in_app(const std::string& design = "");

#endif
