#include "run_command.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace desktop {

namespace {

const size_t kOutputLimit = 1 << 20;

long long now_ms()
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void set_status(command_result* result, int waitStatus)
{
	result->how = command_result::exited;
	result->status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus)
		: WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

// Reads what is there without blocking; false at end of file.
bool drain(int fd, std::string* into)
{
	char buffer[4096];
	for (;;) {
		ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got > 0) {
			if (into->size() < kOutputLimit)
				into->append(buffer, got);
			continue;
		}
		if (got < 0 && errno == EINTR)
			continue;
		return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
	}
}

}

command_result run_command_for_real(const std::vector<std::string>& argv,
	const command_options& options)
{
	command_result result;
	if (argv.empty()) {
		result.error = EINVAL;
		return result;
	}
	std::vector<char*> args;
	for (const std::string& arg : argv)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(nullptr);

	int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
	if (!options.detach
		&& (pipe2(outPipe, O_CLOEXEC | O_NONBLOCK) != 0
			|| pipe2(errPipe, O_CLOEXEC | O_NONBLOCK) != 0)) {
		result.error = errno;
		for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
			if (fd >= 0)
				close(fd);
		return result;
	}

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	if (options.detach) {
		// A background drawer outlives us: no pipe of ours may end it with SIGPIPE.
		posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
		posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	} else {
		posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
		posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
	}
	// A session of its own, so that a timeout kills whatever the command started as well,
	// and so that a detached drawer is not tied to our terminal.
	posix_spawnattr_t attributes;
	posix_spawnattr_init(&attributes);
	posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK
		| POSIX_SPAWN_SETSIGDEF);
	sigset_t none, defaults;
	sigemptyset(&none);
	posix_spawnattr_setsigmask(&attributes, &none);
	sigemptyset(&defaults);
	sigaddset(&defaults, SIGPIPE);
	sigaddset(&defaults, SIGINT);
	sigaddset(&defaults, SIGTERM);
	posix_spawnattr_setsigdefault(&attributes, &defaults);

	pid_t pid = -1;
	int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	posix_spawnattr_destroy(&attributes);
	if (!options.detach) {
		close(outPipe[1]);
		close(errPipe[1]);
	}
	if (spawned != 0) {
		result.how = spawned == ENOENT || spawned == EACCES ? command_result::not_found
			: command_result::not_started;
		result.error = spawned;
		if (!options.detach) {
			close(outPipe[0]);
			close(errPipe[0]);
		}
		return result;
	}

	const long long deadline = now_ms() + (options.timeout_ms > 0 ? options.timeout_ms : 0);
	bool outOpen = !options.detach, errOpen = !options.detach;
	int waitStatus = 0;
	for (;;) {
		pid_t done = waitpid(pid, &waitStatus, WNOHANG);
		if (done == pid) {
			set_status(&result, waitStatus);
			break;
		}
		long long left = deadline - now_ms();
		if (left <= 0) {
			if (options.detach) {
				result.how = command_result::running;
				result.pid = pid;
			} else {
				kill(-pid, SIGKILL);
				while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
				}
				result.how = command_result::timed_out;
			}
			break;
		}
		// Short polls: the program may end while something it started keeps the pipes open.
		struct pollfd fds[2];
		int count = 0;
		if (outOpen)
			fds[count++] = {outPipe[0], POLLIN, 0};
		if (errOpen)
			fds[count++] = {errPipe[0], POLLIN, 0};
		int slice = left < 20 ? (int)left : 20;
		if (count == 0 || poll(fds, count, slice) < 0) {
			struct timespec pause = {0, slice * 1000000L};
			nanosleep(&pause, nullptr);
		}
		if (outOpen)
			outOpen = drain(outPipe[0], &result.out);
		if (errOpen)
			errOpen = drain(errPipe[0], &result.err);
	}
	if (!options.detach) {
		drain(outPipe[0], &result.out);
		drain(errPipe[0], &result.err);
		close(outPipe[0]);
		close(errPipe[0]);
	}
	return result;
}

command_runner g_run_command = run_command_for_real;

std::string describe_failure(const std::vector<std::string>& argv, const command_result& result)
{
	std::string name = argv.empty() ? std::string("command") : argv[0];
	switch (result.how) {
		case command_result::not_found:
			return name + " is not installed";
		case command_result::not_started:
			return name + " could not be started: " + strerror(result.error);
		case command_result::timed_out:
			return name + " did not finish in time";
		case command_result::running:
			return "";
		case command_result::exited:
			break;
	}
	if (result.status == 0)
		return "";
	// The program's own first line of complaint says the most.
	std::string said = !result.err.empty() ? result.err : result.out;
	size_t start = said.find_first_not_of(" \t\r\n");
	said = start == std::string::npos ? "" : said.substr(start);
	said = said.substr(0, said.find('\n'));
	if (said.size() > 200)
		said = said.substr(0, 200) + "...";
	return name + " failed (status " + std::to_string(result.status) + ")"
		+ (said.empty() ? std::string() : ": " + said);
}

}
