#ifndef TEVRA_MODEL_TODAY_H
#define TEVRA_MODEL_TODAY_H

#include <cstdint>

// Today's date, read once at start; nothing refreshes it while the program runs.
// Month 1 to 12, day 1 to 31, weekday 0 Sunday to 6 Saturday.
extern int32_t now_y;
extern int32_t now_m;
extern int32_t now_d;
extern int32_t now_w;

// Sets the four from the local clock.
void read_today();

#endif
