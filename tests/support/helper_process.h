#ifndef TEVRA_TEST_HELPER_PROCESS_H
#define TEVRA_TEST_HELPER_PROCESS_H

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A helper process (a display server, a bus, a stand-in service) that is stopped, with all it
// started, when the test ends. Its first line of output tells that it is ready.
class helper_process {
public:
	// readyFd: the descriptor on which the child writes its first line (1 for stdout).
	explicit helper_process(const std::vector<std::string>& argv, int readyFd = 1,
		int waitMs = 5000)
	{
		// Nothing may allocate between fork and exec: the test process has other threads.
		std::vector<char*> args;
		for (const std::string& arg : argv)
			args.push_back(const_cast<char*>(arg.c_str()));
		args.push_back(nullptr);
		int ready[2];
		if (pipe(ready) != 0)
			return;
		fPid = fork();
		if (fPid == 0) {
			setpgid(0, 0);
			close(ready[0]);
			int devnull = open("/dev/null", O_RDWR);
			dup2(devnull, 0);
			dup2(devnull, 2);
			if (readyFd != 1)
				dup2(devnull, 1);
			dup2(ready[1], readyFd);
			if (ready[1] != readyFd)
				close(ready[1]);
			execvp(args[0], args.data());
			_exit(127);
		}
		close(ready[1]);
		// The first line, within a bound: a helper that never becomes ready fails the test.
		struct pollfd fd = {ready[0], POLLIN, 0};
		char c;
		while (poll(&fd, 1, waitMs) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
			fLine += c;
		close(ready[0]);
	}
	~helper_process()
	{
		if (fPid <= 0)
			return;
		kill(-fPid, SIGTERM);
		kill(fPid, SIGTERM);
		int status;
		waitpid(fPid, &status, 0);
	}
	const std::string& first_line() const { return fLine; }
	pid_t pid() const { return fPid; }

private:
	pid_t fPid = -1;
	std::string fLine;
};

// Whether a process is gone (or only a zombie that nobody has reaped yet).
inline bool process_gone(pid_t pid)
{
	std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
	std::string line;
	if (!std::getline(stat, line))
		return true;
	size_t close = line.rfind(')');
	return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

inline bool on_path(const std::string& name)
{
	const char* path = getenv("PATH");
	std::stringstream folders(path != nullptr ? path : "");
	for (std::string folder; std::getline(folders, folder, ':');) {
		if (access((folder + "/" + name).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

#endif
