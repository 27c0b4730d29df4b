#ifndef TEVRA_CLOCK_H
#define TEVRA_CLOCK_H

#include <ctime>

#include <SupportDefs.h>

// Haiku's system_time(): microseconds of a clock that never goes back, for "when" fields.
inline bigtime_t now_microseconds()
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

#endif
