#include "model/today.h"

#include <ctime>

int32_t now_y = 0;
int32_t now_m = 0;
int32_t now_d = 0;
int32_t now_w = 0;

void read_today()
{
	time_t now = time(nullptr);
	struct tm local;
	localtime_r(&now, &local);
	now_y = local.tm_year + 1900;
	now_m = local.tm_mon + 1;
	now_d = local.tm_mday;
	now_w = local.tm_wday;
}
