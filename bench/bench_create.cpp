#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"

namespace {

struct resolution {
	int width;
	int height;
};

const resolution kResolutions[] = {{1920, 1080}, {3840, 2160}};

// Create mode as a user's timer runs it: a whole process, start to exit.
void BM_CreateMode(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	bool photo = state.range(1) != 0;
	const char* mime = state.range(2) != 0 ? "image/jpeg" : "image/png";
	const bench_files& material = files();
	std::string design = material.design(photo, mime, screen.width, screen.height);
	std::string platform = "QT_QPA_PLATFORM=offscreen:configfile="
		+ material.screen_json(screen.width, screen.height);
	std::string output = material.folder + "/out-create";
	for (auto _ : state) {
		if (run({TEVRA_BINARY_PATH, design, output}, {platform}) != 0)
			state.SkipWithError("create mode failed");
	}
	state.SetLabel(std::to_string(screen.width) + "x" + std::to_string(screen.height)
		+ (photo ? " photo " : " colour ") + (mime + 6));
}
BENCHMARK(BM_CreateMode)
	->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
	->Unit(benchmark::kMillisecond)
	->UseRealTime()
	->Repetitions(5)
	->ReportAggregatesOnly(true)
	->ComputeStatistics("min", [](const std::vector<double>& v) {
		return *std::min_element(v.begin(), v.end());
	})
	->ComputeStatistics("max", [](const std::vector<double>& v) {
		return *std::max_element(v.begin(), v.end());
	});

// The same picture made by ImageMagick in one command, with its fastest PNG settings:
// scale the photo, lay a translucent panel and a month of numbers over it.
void BM_ImageMagick(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	const bench_files& material = files();
	std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height) + "!";
	std::vector<std::string> command = {"convert", material.photo, "-resize", size, "-fill",
		"#ffffff60", "-draw", "roundrectangle 96,86,672,594 20,20", "-fill", "#000000", "-font",
		"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
		"-pointsize", "40"};
	for (int day = 1; day <= 31; day++) {
		command.push_back("-annotate");
		command.push_back("+" + std::to_string(140 + (day % 7) * 80) + "+"
			+ std::to_string(220 + (day / 7) * 70));
		command.push_back(std::to_string(day));
	}
	command.insert(command.end(), {"-define", "png:compression-level=1", "-define",
		"png:compression-filter=1", "-define", "png:compression-strategy=2",
		material.folder + "/out-magick.png"});
	for (auto _ : state) {
		if (run(command) != 0)
			state.SkipWithError("convert failed");
	}
	state.SetLabel(std::to_string(screen.width) + "x" + std::to_string(screen.height));
}
BENCHMARK(BM_ImageMagick)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()
	->Repetitions(3)->ReportAggregatesOnly(true);

// The floor's start-up: the process with Qt and the catalogues, nothing read or written.
void BM_FloorStartup(benchmark::State& state)
{
	const bench_files& material = files();
	std::string platform = "QT_QPA_PLATFORM=offscreen:configfile="
		+ material.screen_json(1920, 1080);
	for (auto _ : state)
		run({TEVRA_BINARY_PATH, material.folder + "/missing.tevra",
			material.folder + "/missing-folder/out.png"}, {platform});
}
BENCHMARK(BM_FloorStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
	->ReportAggregatesOnly(true);

}
