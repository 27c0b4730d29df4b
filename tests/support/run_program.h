#ifndef TEVRA_TEST_RUN_PROGRAM_H
#define TEVRA_TEST_RUN_PROGRAM_H

#include <string>
#include <vector>

struct run_options {
	// Where it runs; empty for the test's own folder.
	std::string folder;
	// "NAME=value" sets a variable, "-NAME" removes it, applied in order.
	std::vector<std::string> environment;
	// Start from no variables but PATH, LANG and the sanitizers' settings.
	bool clean_environment = false;
	// Bytes a file may grow to; SIGXFSZ is ignored, so the write fails instead.
	long file_size_limit = -1;
	// Killed after this many microseconds, finished or not.
	long kill_after_us = -1;
	// A hang ends in a kill after this long, reported as status 124 (as timeout(1) does).
	int timeout_seconds = 60;
};

struct run_result {
	// The exit status; -1 when it ended by a signal.
	int status = -1;
	bool killed = false;
	std::string out;
	std::string err;
};

// Runs a program (found on PATH) with no standard input and both outputs captured.
run_result run_program(const std::vector<std::string>& argv, const run_options& options = {});
// The binary under test, named by TEVRA_BINARY as the tests' registration sets it.
run_result run_tevra(const std::vector<std::string>& args, const run_options& options = {});

#endif
