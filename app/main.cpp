#include <cstdio>
#include <ctime>

#include <TranslatorRoster.h>

#include "app/tevra.h"
#include "model/globals.h"

int main(int argc, char** argv)
{
	if (argc != 1 && argc != 3) {
		fputs(kUsage, stdout);
		return 1;
	}
	tr = BTranslatorRoster::Default();
	if (tr == nullptr)
		return 1;

	// Today is read once: a run that passes midnight keeps the day it started on.
	time_t now = time(nullptr);
	struct tm local;
	localtime_r(&now, &local);
	now_y = local.tm_year + 1900;
	now_m = local.tm_mon + 1;
	now_d = local.tm_mday;
	now_w = local.tm_wday;

	tevra app(argc, argv);
	if (argc == 1)
		app.Run();
	return app.exit_status;
}
