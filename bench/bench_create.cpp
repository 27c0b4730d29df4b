#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>

#include "bench_support.h"

namespace {

struct resolution {
	int width;
	int height;
};

const resolution kResolutions[] = {{1920, 1080}, {3840, 2160}, {7680, 4320}};

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

// The same picture made by ImageMagick in one command, with its fastest PNG settings: the
// photo scaled to the screen, then the same calendars drawn in one drawing list: a month in
// 31 bubbles with its captions, a year on a wall with 12 captions and 365 days, a date.
// Run 1 also gives ImageMagick the JPEG size hint, its own reduced decode.
std::string calendar_drawing(resolution screen)
{
	double W = screen.width, H = screen.height;
	char line[160];
	std::string mvg = "font '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf' ";
	auto add = [&](const char* format, auto... values) {
		snprintf(line, sizeof(line), format, values...);
		mvg += line;
	};
	// The month: 0.05..0.35 of the width, 0.08..0.55 of the height.
	double L = 0.05 * W, T = 0.08 * H, w = 0.30 * W, h = 0.47 * H;
	add("fill '#ffffff60' font-size %d text %d,%d 'december' ", (int)(h / 8), (int)(L + w / 3),
		(int)(T + h / 8));
	for (int day = 1; day <= 31; day++) {
		int column = (day + 1) % 7, row = (day + 1) / 7;
		double x = L + w * (column + 0.5) / 8, y = T + h / 8 * (row + 1.5);
		add("fill '#ffffff60' roundrectangle %d,%d %d,%d %d,%d ", (int)x, (int)y,
			(int)(x + w / 8), (int)(y + h / 8), (int)(h / 32), (int)(h / 32));
		add("fill '#000000' font-size %d text %d,%d '%d' ", (int)(h / 10), (int)x,
			(int)(y + h / 10), day);
	}
	// The year: 0.40..0.95 by 0.08..0.60, on a wall.
	L = 0.40 * W, T = 0.08 * H, w = 0.55 * W, h = 0.52 * H;
	add("fill '#00000050' rectangle %d,%d %d,%d ", (int)L, (int)T, (int)(L + w), (int)(T + h));
	add("fill '#ffffff' font-size %d text %d,%d '2026' ", (int)(w / 50), (int)L, (int)T);
	for (int month = 0; month < 12; month++) {
		double x0 = L + (month % 6) * w / 6, y0 = T + (month / 6) * h / 2;
		add("font-size %d text %d,%d '%d' ", (int)(h / 16), (int)(x0 + w / 12),
			(int)(y0 + h / 16), month + 1);
		for (int day = 1; day <= 30 + (month % 2); day++) {
			int column = (day + month) % 7, row = (day + month) / 7;
			add("font-size %d text %d,%d '%d' ", (int)(w / 60),
				(int)(x0 + (column + 1) * w / 48), (int)(y0 + h / 16 * (row + 2.5)), day);
		}
	}
	// The date and its holiday.
	add("fill '#000000' font-size %d text %d,%d '2026/12/23(wed)' ", (int)(W / 30),
		(int)(0.1 * W), (int)(0.75 * H));
	return mvg;
}

void BM_ImageMagick(benchmark::State& state)
{
	resolution screen = kResolutions[state.range(0)];
	bool hinted = state.range(1) != 0;
	const bench_files& material = files();
	std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height) + "!";
	std::vector<std::string> command = {"convert", material.photo, "-resize", size, "-draw",
		calendar_drawing(screen), "-define",
		"png:compression-level=1", "-define", "png:compression-filter=1", "-define",
		"png:compression-strategy=2", material.folder + "/out-magick.png"};
	if (hinted) {
		command.insert(command.begin() + 1, {"-define", "jpeg:size="
			+ std::to_string(screen.width) + "x" + std::to_string(screen.height)});
	}
	for (auto _ : state) {
		if (run(command) != 0)
			state.SkipWithError("convert failed");
	}
	state.SetLabel(std::to_string(screen.width) + "x" + std::to_string(screen.height)
		+ (hinted ? " size hint" : ""));
}
BENCHMARK(BM_ImageMagick)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime()
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

// What create mode carries into a run: the shared objects the dynamic loader brings in (its
// own count, from LD_DEBUG), for a 1080p design with a colour or a photo base, PNG or JPEG.
void BM_SharedObjects(benchmark::State& state)
{
	bool photo = state.range(0) != 0;
	const char* mime = state.range(1) != 0 ? "image/jpeg" : "image/png";
	const bench_files& material = files();
	std::string design = material.design(photo, mime, 1920, 1080);
	std::string trace = material.folder + "/loader";
	std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen:configfile="
		+ material.screen_json(1920, 1080), "LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + trace};
	int objects = 0;
	for (auto _ : state) {
		if (run({TEVRA_BINARY_PATH, design, material.folder + "/out-objects"}, env) != 0)
			state.SkipWithError("create mode failed");
	}
	// The loader writes one file per process, named after its id.
	for (const auto& entry : std::filesystem::directory_iterator(material.folder)) {
		if (entry.path().filename().string().rfind("loader.", 0) != 0)
			continue;
		std::ifstream in(entry.path());
		objects = 0;
		for (std::string line; std::getline(in, line);)
			objects += line.find("calling init:") != std::string::npos;
		std::filesystem::remove(entry.path());
	}
	state.counters["objects"] = objects;
	state.SetLabel(std::string(photo ? "photo " : "colour ") + (mime + 6));
}
BENCHMARK(BM_SharedObjects)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)
	->UseRealTime()->Iterations(1);

// Create mode's peak memory at 8K (7680 x 4320 over the 4000 x 3000 photo, and on a colour
// base), as the kernel counted it for the process, against the picture's own 133 MB.
void BM_PeakMemory8K(benchmark::State& state)
{
	resolution screen = kResolutions[2];
	bool photo = state.range(0) != 0;
	const bench_files& material = files();
	std::string design = material.design(photo, "image/png", screen.width, screen.height);
	std::string platform = "QT_QPA_PLATFORM=offscreen:configfile="
		+ material.screen_json(screen.width, screen.height);
	long peak = 0;
	for (auto _ : state) {
		struct rusage usage = {};
		if (run({TEVRA_BINARY_PATH, design, material.folder + "/out-8k"}, {platform}, &usage)
			!= 0)
			state.SkipWithError("create mode failed");
		peak = std::max(peak, usage.ru_maxrss);
	}
	double picture = (double)screen.width * screen.height * 4 / 1024;
	state.counters["peak_MB"] = peak / 1024.0;
	state.counters["pictures"] = peak / picture;
	state.SetLabel(photo ? "7680x4320 photo PNG" : "7680x4320 colour PNG");
}
BENCHMARK(BM_PeakMemory8K)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()
	->Iterations(2);

}
