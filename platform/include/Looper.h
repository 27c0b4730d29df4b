#ifndef _LOOPER_H
#define _LOOPER_H

#include <deque>

#include <Handler.h>
#include <List.h>
#include <Message.h>

// A message queue. Here every looper's queue is dispatched in order on the one GUI thread,
// so a handler never runs inside the call that posted to it, and no two handlers run at once.
class BLooper : public BHandler {
public:
	BLooper(const char* name = nullptr);
	~BLooper() override;

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual bool QuitRequested();
	virtual void Quit();

	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message, BHandler* handler = nullptr);

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);

	bool Lock() { return true; }
	void Unlock() {}

private:
	// The Qt object that posts the looper's deliveries to the event loop.
	class Pump;

	// Delivers one queued message to the handler whose token it carries.
	void _DispatchNext();

	struct queued {
		BMessage* message;
		int32 target;
	};

	BList fHandlers;
	std::deque<queued> fQueue;
	Pump* fPump;
};

#endif
