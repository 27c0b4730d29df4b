#include <Handler.h>

#include <map>

#include <Looper.h>

namespace {

std::map<int32, BHandler*>& handler_tokens()
{
	static std::map<int32, BHandler*> tokens;
	return tokens;
}

int32 next_token = 1;

}

BHandler::BHandler(const char* name)
	: fName(name != nullptr ? name : ""), fLooper(nullptr), fToken(next_token++)
{
	handler_tokens()[fToken] = this;
}

BHandler::~BHandler()
{
	if (fLooper != nullptr && fLooper != this)
		fLooper->RemoveHandler(this);
	handler_tokens().erase(fToken);
}

void BHandler::MessageReceived(BMessage*)
{
}

BHandler* BHandler::HandlerForToken(int32 token)
{
	auto found = handler_tokens().find(token);
	return found != handler_tokens().end() ? found->second : nullptr;
}
