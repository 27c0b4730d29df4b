#include <Looper.h>

#include <QMetaObject>

#include "looper_pump.h"

void BLooper::Pump::schedule()
{
	BLooper* looper = fLooper;
	QMetaObject::invokeMethod(this, [looper]() { looper->_DispatchNext(); },
		Qt::QueuedConnection);
}

BLooper::BLooper(const char* name)
	: BHandler(name), fPump(new Pump(this))
{
	AddHandler(this);
}

BLooper::~BLooper()
{
	delete fPump;
	for (queued& entry : fQueue)
		delete entry.message;
	for (int32 i = 0; i < fHandlers.CountItems(); i++) {
		BHandler* handler = (BHandler*)fHandlers.ItemAt(i);
		handler->fLooper = nullptr;
	}
}

void BLooper::AddHandler(BHandler* handler)
{
	if (handler == nullptr || handler->fLooper == this)
		return;
	if (handler->fLooper != nullptr)
		handler->fLooper->RemoveHandler(handler);
	handler->fLooper = this;
	fHandlers.AddItem(handler);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == nullptr || handler->fLooper != this || handler == this)
		return false;
	handler->fLooper = nullptr;
	return fHandlers.RemoveItem(handler);
}

status_t BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (handler == nullptr)
		handler = this;
	if (handler->Looper() != this)
		return B_MISMATCHED_VALUES;
	fQueue.push_back({new BMessage(*message), handler->Token()});
	fPump->schedule();
	return B_OK;
}

void BLooper::_DispatchNext()
{
	if (fQueue.empty())
		return;
	queued entry = fQueue.front();
	fQueue.pop_front();
	BHandler* handler = BHandler::HandlerForToken(entry.target);
	// A handler deleted or moved since the message was sent no longer receives it.
	if (handler != nullptr && handler->Looper() == this)
		DispatchMessage(entry.message, handler);
	delete entry.message;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

bool BLooper::QuitRequested()
{
	return true;
}

void BLooper::Quit()
{
	delete this;
}
