#include "model/today.h"

int32_t now_y = 0;
int32_t now_m = 0;
int32_t now_d = 0;
int32_t now_w = 0;
