#ifndef _ROSTER_H
#define _ROSTER_H

#include <Entry.h>
#include <Messenger.h>

class BMessage;

struct app_info {
	// The application's executable.
	entry_ref ref;
};

// Starts other programs. Here, beyond Haiku, a launch can be watched: the program's end is
// told to a messenger, with what it said on standard error, so that a window that started it
// stays live while it runs.
class BRoster {
public:
	status_t GetRunningAppInfo(app_info* info) const;
	// Runs the program at path with args (argv[1] on) in folder, without waiting. When it
	// ends, whenDone goes to target with "status" (int32: its exit status; -1 when it could
	// not start or was killed) and "output" (string: what it wrote on standard error). A
	// program still running when the application ends is waited for.
	status_t Launch(const char* path, int argc, const char* const* args, const char* folder,
		const BMessenger& target, const BMessage& whenDone) const;
};

extern const BRoster* be_roster;

#endif
