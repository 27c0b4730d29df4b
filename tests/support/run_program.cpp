#include "tests/support/run_program.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/interface/clock.h"

extern char** environ;

namespace {

std::vector<std::string> environment_for(const run_options& options)
{
	std::vector<std::string> env;
	for (char** entry = environ; *entry != nullptr; entry++) {
		bool kept = !options.clean_environment;
		for (const char* always : {"PATH=", "LANG=", "ASAN_OPTIONS=", "UBSAN_OPTIONS=",
				"LSAN_OPTIONS="})
			kept |= strncmp(*entry, always, strlen(always)) == 0;
		if (kept)
			env.push_back(*entry);
	}
	for (const std::string& change : options.environment) {
		bool remove = !change.empty() && change[0] == '-';
		std::string name = remove ? change.substr(1) : change.substr(0, change.find('='));
		for (size_t i = 0; i < env.size();) {
			if (env[i].compare(0, name.size() + 1, name + "=") == 0)
				env.erase(env.begin() + i);
			else
				i++;
		}
		if (!remove)
			env.push_back(change);
	}
	return env;
}

}

run_result run_program(const std::vector<std::string>& argv, const run_options& options)
{
	run_result result;
	if (argv.empty())
		return result;
	std::vector<std::string> env = environment_for(options);
	std::vector<char*> envp, args;
	for (std::string& entry : env)
		envp.push_back(&entry[0]);
	envp.push_back(nullptr);
	std::vector<std::string> argvCopy = argv;
	for (std::string& arg : argvCopy)
		args.push_back(&arg[0]);
	args.push_back(nullptr);

	int out[2], err[2];
	if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
		ADD_FAILURE() << "no pipe: " << strerror(errno);
		return result;
	}
	fflush(nullptr);
	pid_t pid = fork();
	if (pid == 0) {
		// Only calls that are safe between fork and exec.
		int none = open("/dev/null", O_RDONLY);
		if (none < 0 || dup2(none, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0)
			_exit(127);
		if (!options.folder.empty() && chdir(options.folder.c_str()) != 0)
			_exit(127);
		if (options.file_size_limit >= 0) {
			struct rlimit limit = {(rlim_t)options.file_size_limit,
				(rlim_t)options.file_size_limit};
			signal(SIGXFSZ, SIG_IGN);
			if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
				_exit(127);
		}
		execvpe(args[0], args.data(), envp.data());
		_exit(127);
	}
	close(out[1]);
	close(err[1]);
	if (pid < 0) {
		close(out[0]);
		close(err[0]);
		ADD_FAILURE() << "no fork: " << strerror(errno);
		return result;
	}

	// Read until the program ends; what it started may hold the pipes open for longer.
	int64_t start = now_microseconds();
	int64_t deadline = start + (int64_t)options.timeout_seconds * 1000000;
	bool timedOut = false, killSent = false;
	pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
	std::string* sinks[2] = {&result.out, &result.err};
	int status = 0;
	bool ended = false;
	int64_t killAt = options.kill_after_us >= 0 ? std::min(deadline, start + options.kill_after_us)
		: deadline;
	for (;;) {
		int64_t now = now_microseconds();
		if (!killSent && now >= killAt) {
			timedOut = now >= deadline;
			kill(pid, SIGKILL);
			killSent = true;
		}
		// Wake for the kill on time: a kill at a chosen moment is what some tests are about.
		int64_t wait = ended ? 0 : killSent ? 20000 : std::min<int64_t>(20000, killAt - now);
		timespec waitTime = {(time_t)(wait / 1000000), (long)(wait % 1000000) * 1000};
		ppoll(fds, 2, &waitTime, nullptr);
		bool got = false;
		for (int i = 0; i < 2; i++) {
			if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0)
				continue;
			char buffer[4096];
			ssize_t n = read(fds[i].fd, buffer, sizeof(buffer));
			if (n > 0) {
				sinks[i]->append(buffer, n);
				got = true;
			} else if (n == 0) {
				close(fds[i].fd);
				fds[i].fd = -1;
			}
		}
		if (ended && !got)
			break;
		if (fds[0].fd < 0 && fds[1].fd < 0 && ended)
			break;
		if (!ended && waitpid(pid, &status, WNOHANG) == pid)
			ended = true;
	}
	for (pollfd& fd : fds) {
		if (fd.fd >= 0)
			close(fd.fd);
	}
	result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
	result.status = timedOut ? 124 : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return result;
}

run_result run_tevra(const std::vector<std::string>& args, const run_options& options)
{
	const char* binary = getenv("TEVRA_BINARY");
	EXPECT_NE(binary, nullptr) << "TEVRA_BINARY is set by the test's CMake registration";
	std::vector<std::string> argv = {binary != nullptr ? binary : "tevra"};
	argv.insert(argv.end(), args.begin(), args.end());
	return run_program(argv, options);
}
