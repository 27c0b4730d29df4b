#include "backend_support.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace desktop {

long long now_ms()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

std::string env_or(const char* name, const std::string& fallback)
{
	const char* value = getenv(name);
	return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

std::string home()
{
	const char* value = getenv("HOME");
	return value != nullptr ? value : "";
}

std::string fresh_folder()
{
	return env_or("XDG_CACHE_HOME", home() + "/.cache") + "/tevra/backgrounds";
}

commands::commands()
	:
	fDeadline(now_ms() + g_limits.total_ms)
{
}

bool commands::run(const std::vector<std::string>& argv, command_result* result, bool detach)
{
	command_result local;
	command_result& r = result != nullptr ? *result : local;
	long long left = fDeadline - now_ms();
	if (left <= 0) {
		fail(argv[0] + " was not run: the desktop took too long to answer");
		return false;
	}
	command_options options;
	options.detach = detach;
	int wanted = detach ? g_limits.detach_wait_ms : g_limits.command_ms;
	options.timeout_ms = (int)(left < wanted ? left : wanted);
	r = g_run_command(argv, options);
	if (r.ok() || (detach && r.how == command_result::running))
		return true;
	if (detach && r.how == command_result::exited)
		fail(argv[0] + " ended at once (status " + std::to_string(r.status) + ")");
	else
		fail(describe_failure(argv, r));
	return false;
}

void commands::fail(const std::string& why)
{
	if (fWhy.empty())
		fWhy = why;
}

fresh_picture::fresh_picture(const background& what, commands* run)
{
	if (what.picture.empty())
		return;
	std::string error;
	fPath = fresh_picture_path(what.picture, &error);
	if (fPath.empty())
		run->fail(error);
}

std::string fresh_picture::part(const background& what, const BRect& frame, commands* run)
{
	std::string error;
	std::string path = fresh_picture_path(what.picture, &error);
	if (path.empty()) {
		run->fail(error);
		return "";
	}
	fParts.push_back(path);
	QImage whole(QString::fromStdString(what.picture));
	QImage cut = whole.copy((int)frame.left, (int)frame.top, frame.IntegerWidth() + 1,
		frame.IntegerHeight() + 1);
	std::string suffix = std::filesystem::path(path).extension().string();
	QByteArray format = suffix.size() > 1 ? QByteArray(suffix.c_str() + 1) : "png";
	// Written under another name first: the desktop must never see half a picture.
	std::string temporary = path + ".new";
	if (whole.isNull() || !cut.save(QString::fromStdString(temporary), format.constData())
		|| rename(temporary.c_str(), path.c_str()) != 0) {
		unlink(temporary.c_str());
		run->fail("cannot cut the picture into each screen's part in "
			+ std::filesystem::path(path).parent_path().string());
		return "";
	}
	return path;
}

void fresh_picture::settle(const commands& run)
{
	if (fPath.empty())
		return;
	if (run.why().empty()) {
		remove_older_fresh_pictures(fPath);
		return;
	}
	unlink(fPath.c_str());
	for (const std::string& part : fParts)
		unlink(part.c_str());
}

}
