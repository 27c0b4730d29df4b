#include <cstdio>
#include <cstring>

#include <TranslatorRoster.h>

#include "app/tevra.h"
#include "app/version.h"
#include "model/globals.h"
#include "model/today.h"

int main(int argc, char** argv)
{
	// Asked for help or the version, the program answers and does nothing else.
	if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
		fputs(kUsage, stdout);
		return 0;
	}
	if (argc == 2 && strcmp(argv[1], "--version") == 0) {
		puts(TEVRA_NAME_VERSION);
		return 0;
	}
	// One argument is a design to open, unless it is empty or looks like an option.
	bool design = argc == 2 && argv[1][0] != '\0' && argv[1][0] != '-';
	if (argc != 1 && argc != 3 && !design) {
		fputs(kUsage, stdout);
		return 1;
	}
	tr = BTranslatorRoster::Default();
	if (tr == nullptr)
		return 1;

	// Today is read once: a run that passes midnight keeps the day it started on.
	read_today();

	tevra app(argc, argv);
	if (argc != 3)
		app.Run();
	return app.exit_status;
}
