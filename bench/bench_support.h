#ifndef TEVRA_BENCH_SUPPORT_H
#define TEVRA_BENCH_SUPPORT_H

#include <string>
#include <vector>

#include <Rect.h>

// The benchmarks' shared material, made once in a temporary folder: a noisy 4000 x 3000
// photograph (JPEG), designs with a photo base and a colour base, and screen descriptions.
struct bench_files {
	std::string folder;
	std::string photo;
	std::string screen_json(int width, int height) const;
	std::string design(bool photoBase, const char* mime, int width, int height) const;
	// The folder goes when the benchmark ends; a run leaves nothing behind in /tmp.
	~bench_files();
};

const bench_files& files();

// Runs a program to its end; returns its exit status (or -1). usage, when given, receives
// the kernel's accounting of the process (its peak memory, ru_maxrss, among it).
int run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
	struct rusage* usage = nullptr);


#endif
