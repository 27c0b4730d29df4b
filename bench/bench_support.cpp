#include "bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QImageWriter>

extern char** environ;

namespace {

void write_file(const std::string& path, const std::string& content)
{
	FILE* file = fopen(path.c_str(), "w");
	if (file == nullptr)
		return;
	fwrite(content.data(), 1, content.size(), file);
	fclose(file);
}

// A photograph-like picture: smooth colour fields with grain, so codecs get real work.
void make_photo(const std::string& path)
{
	const int width = 4000, height = 3000;
	QImage image(width, height, QImage::Format_RGB32);
	uint32_t seed = 12345;
	for (int y = 0; y < height; y++) {
		uint32_t* row = (uint32_t*)image.scanLine(y);
		for (int x = 0; x < width; x++) {
			seed = seed * 1664525u + 1013904223u;
			int grain = (int)(seed >> 27) - 16;
			int r = 60 + x * 150 / width + grain;
			int g = 90 + y * 120 / height + grain;
			int b = 170 - (x + y) * 90 / (width + height) + grain;
			row[x] = 0xff000000u | (uint32_t)qBound(0, r, 255) << 16
				| (uint32_t)qBound(0, g, 255) << 8 | (uint32_t)qBound(0, b, 255);
		}
	}
	QImageWriter writer(QString::fromStdString(path), "jpeg");
	writer.setQuality(90);
	writer.write(image);
}

}

std::string bench_files::screen_json(int width, int height) const
{
	std::string path = folder + "/screen-" + std::to_string(width) + "x"
		+ std::to_string(height) + ".json";
	write_file(path, "{\"screens\": [{\"name\": \"bench\", \"x\": 0, \"y\": 0, \"width\": "
		+ std::to_string(width) + ", \"height\": " + std::to_string(height)
		+ ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n");
	return path;
}

std::string bench_files::design(bool photoBase, const char* mime, int width, int height) const
{
	// Positions are fractions of the screen, so the 4K design draws four times the pixels.
	auto at = [&](double l, double t, double r, double b) {
		char text[64];
		snprintf(text, sizeof(text), "%d,%d,%d,%d", (int)(l * width), (int)(t * height),
			(int)(r * width), (int)(b * height));
		return std::string(text);
	};
	std::string text = std::string("base_type\t") + (photoBase ? "1" : "0") + "\n"
		+ (photoBase ? "base_image\t" + photo + "\n" : "") + "out_format\t" + mime + "\n"
		+ "\ntype\t10\nbg_type\t1\nbg_color\t60ffffff\nyear_type\t2\nmonth_type\t3\ntoday_mark\t2\n"
		+ "bounds\t" + at(0.05, 0.08, 0.35, 0.55) + "\n"
		+ "\ntype\t20\nbg_type\t0\nbg_color\t50000000\nday_color\t00ffffff\nbounds\t"
		+ at(0.40, 0.08, 0.95, 0.60) + "\n"
		+ "\ntype\t0\nwhen\t16\nbg_type\t1\nbounds\t" + at(0.05, 0.65, 0.50, 0.90) + "\n";
	std::string path = folder + "/design-" + (photoBase ? "photo" : "colour") + "-"
		+ std::to_string(width) + "-" + (mime + 6) + ".tevra";
	write_file(path, text);
	return path;
}

bench_files::~bench_files()
{
	if (!folder.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(folder, ignored);
	}
}

const bench_files& files()
{
	static bench_files made;
	if (made.folder.empty()) {
		char pattern[] = "/tmp/tevra-bench-XXXXXX";
		made.folder = mkdtemp(pattern);
		made.photo = made.folder + "/photo.jpg";
		make_photo(made.photo);
	}
	return made;
}

int run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
	struct rusage* usage)
{
	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(nullptr);
	std::vector<std::string> environment;
	for (char** entry = environ; *entry != nullptr; entry++)
		environment.push_back(*entry);
	for (const std::string& entry : env)
		environment.push_back(entry);
	std::vector<char*> envp;
	for (std::string& entry : environment)
		envp.push_back(&entry[0]);
	envp.push_back(nullptr);

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	pid_t pid;
	int status = -1;
	struct rusage ignored;
	if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0)
		wait4(pid, &status, 0, usage != nullptr ? usage : &ignored);
	posix_spawn_file_actions_destroy(&actions);
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
