#include <benchmark/benchmark.h>

#include <TranslatorRoster.h>
#include <Window.h>

#include "app/tevra.h"
#include "model/globals.h"

// The benchmarks run inside the real application object, like the program, with the windows
// of config mode closed: each benchmark makes what it measures.
int main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	tr = BTranslatorRoster::Default();
	char arg0[] = "tevra";
	char* args[] = {arg0, nullptr};
	tevra app(1, args);
	while (app.CountWindows() > 0)
		app.WindowAt(app.CountWindows() - 1)->Quit();
	app.pwin = nullptr;
	app.cwin = nullptr;
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
