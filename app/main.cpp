#include <cstdio>

#include <TranslatorRoster.h>

#include "app/tevra.h"
#include "model/globals.h"
#include "model/today.h"

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
	read_today();

	tevra app(argc, argv);
	if (argc == 1)
		app.Run();
	return app.exit_status;
}
