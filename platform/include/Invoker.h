#ifndef _INVOKER_H
#define _INVOKER_H

#include <Message.h>
#include <Messenger.h>

class BHandler;
class BLooper;

// Something that sends a message to a target when used.
class BInvoker {
public:
	BInvoker();
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
	virtual ~BInvoker();

	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const { return fMessage; }
	uint32 Command() const { return fMessage != nullptr ? fMessage->what : 0; }
	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
	virtual status_t SetTarget(BMessenger messenger);
	BHandler* Target(BLooper** looper = nullptr) const;
	BMessenger Messenger() const;
	virtual status_t Invoke(BMessage* message = nullptr);

	// The layer's own way in, for its other classes.
	class Private;

private:
	friend class Private;

	BMessage* fMessage;
	// Kept as tokens and resolved when invoked: the handler may join a looper later, or go.
	int32 fHandlerToken;
	int32 fLooperToken;
	BMessenger fMessenger;
};

#endif
