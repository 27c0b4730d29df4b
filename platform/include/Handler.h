#ifndef _HANDLER_H
#define _HANDLER_H

#include <string>

#include <SupportDefs.h>

class BLooper;
class BMessage;

class BHandler {
public:
	BHandler(const char* name = nullptr);
	virtual ~BHandler();

	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const { return fLooper; }
	const char* Name() const { return fName.c_str(); }
	void SetName(const char* name) { fName = name != nullptr ? name : ""; }

	// Each handler has a token so that messengers notice when it is gone.
	int32 Token() const { return fToken; }
	static BHandler* HandlerForToken(int32 token);

private:
	friend class BLooper;

	std::string fName;
	BLooper* fLooper;
	int32 fToken;
};

#endif
