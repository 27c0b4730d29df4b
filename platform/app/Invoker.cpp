#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>

#include "InvokerPrivate.h"

BInvoker::BInvoker()
	: fMessage(nullptr), fHandlerToken(-1), fLooperToken(-1)
{
}

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	: fMessage(message), fHandlerToken(-1), fLooperToken(-1)
{
	SetTarget(handler, looper);
}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t BInvoker::SetMessage(BMessage* message)
{
	if (message != fMessage)
		delete fMessage;
	fMessage = message;
	return B_OK;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	fMessenger = BMessenger();
	fHandlerToken = handler != nullptr ? handler->Token() : -1;
	fLooperToken = looper != nullptr ? looper->Token() : -1;
	if (handler != nullptr && looper != nullptr && handler->Looper() != looper)
		return B_MISMATCHED_VALUES;
	return B_OK;
}

status_t BInvoker::SetTarget(BMessenger messenger)
{
	fHandlerToken = -1;
	fLooperToken = -1;
	fMessenger = messenger;
	return B_OK;
}

bool BInvoker::Private::HasTarget(const BInvoker* invoker)
{
	return invoker->fHandlerToken >= 0 || invoker->fLooperToken >= 0
		|| invoker->fMessenger.IsValid();
}

BMessenger BInvoker::Messenger() const
{
	if (fHandlerToken < 0 && fLooperToken < 0)
		return fMessenger;
	BHandler* handler = BHandler::HandlerForToken(fHandlerToken);
	BLooper* looper = dynamic_cast<BLooper*>(BHandler::HandlerForToken(fLooperToken));
	// A target that has gone must not be replaced by whatever the other token names.
	if ((fHandlerToken >= 0 && handler == nullptr) || (fLooperToken >= 0 && looper == nullptr))
		return BMessenger();
	return BMessenger(handler, looper);
}

BHandler* BInvoker::Target(BLooper** looper) const
{
	if (fHandlerToken < 0 && fLooperToken < 0)
		return fMessenger.Target(looper);
	BHandler* target = BHandler::HandlerForToken(
		fHandlerToken >= 0 ? fHandlerToken : fLooperToken);
	if (looper != nullptr)
		*looper = target != nullptr ? target->Looper() : nullptr;
	return target;
}

status_t BInvoker::Invoke(BMessage* message)
{
	if (message == nullptr)
		message = fMessage;
	if (message == nullptr)
		return B_BAD_VALUE;
	// The messenger queues a copy; the receiver never sees the invoker's own message.
	return Messenger().SendMessage(message);
}
