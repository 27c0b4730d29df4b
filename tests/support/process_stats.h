#ifndef TEVRA_TEST_PROCESS_STATS_H
#define TEVRA_TEST_PROCESS_STATS_H

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// A field of this process's /proc/self/status in kB (VmRSS, VmHWM), -1 when it has none.
inline long status_kb(const char* field)
{
	std::ifstream in("/proc/self/status");
	std::string line;
	while (std::getline(in, line)) {
		if (line.compare(0, strlen(field), field) == 0)
			return atol(line.c_str() + strlen(field) + 1);
	}
	return -1;
}

// Starts VmHWM again from the present size (Linux: 5 in clear_refs), so it measures what
// comes next alone.
inline void reset_memory_peak()
{
	std::ofstream("/proc/self/clear_refs") << "5";
}

#endif
