#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <string>

#include <Message.h>

class BHandler;
class BLooper;

class BMessenger {
public:
	BMessenger();
	BMessenger(const BHandler* handler, const BLooper* looper = nullptr,
		status_t* result = nullptr);
	BMessenger(const char* signature, team_id team = -1, status_t* result = nullptr);
	~BMessenger();

	bool IsValid() const;
	BHandler* Target(BLooper** looper) const;

	status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;

private:
	int32 fToken;
	std::string fSignature;
};

// Receivers of messages sent to an application signature that is not this application:
// the layer's stand-ins for other Haiku applications register here.
typedef void (*signature_receiver)(const BMessage& message);
void register_signature_receiver(const char* signature, signature_receiver receiver);

#endif
