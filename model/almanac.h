#ifndef TEVRA_MODEL_ALMANAC_H
#define TEVRA_MODEL_ALMANAC_H

#include <string>

// Japan's traditional almanac for the supported years (2001 to 2099), in Japan Standard
// Time: the lunisolar (旧暦) date, its 六曜, and the 二十四節気. Each year's new moons and
// solar terms are found once and kept.

struct lunisolar_date {
	int month;	// 1 to 12; a leap month has the number of the month before it
	bool leap;
	int day;	// 1 to 30
};

// False for an invalid date or one outside the supported years.
bool lunisolar(int year, int month, int day, lunisolar_date* date);

// 0 大安, 1 赤口, 2 先勝, 3 友引, 4 先負, 5 仏滅.
int rokuyo_of(const lunisolar_date& date);
const char* rokuyo_name(int index);

// The solar term that falls on a date, by its longitude / 15 (0 春分, 1 清明, ... 23 啓蟄),
// or -1 on other days and outside the supported years.
int solar_term(int year, int month, int day);
const char* solar_term_name(int index);

// What a calendar prints for a date, e.g. "旧暦閏十一月一日 大安" or "旧暦十月二十九日 友引 大雪";
// "" outside the supported years.
std::string almanac_line(int year, int month, int day);

#endif
