#include <Messenger.h>

#include <map>

#include <Application.h>
#include <Looper.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace {

std::map<std::string, signature_receiver>& receivers()
{
	static std::map<std::string, signature_receiver> map;
	return map;
}

}

void register_signature_receiver(const char* signature, signature_receiver receiver)
{
	if (receiver != nullptr)
		receivers()[signature] = receiver;
	else
		receivers().erase(signature);
}

BMessenger::BMessenger()
	: fToken(-1)
{
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
	: fToken(-1)
{
	const BHandler* target = handler != nullptr ? handler : looper;
	status_t status = B_BAD_VALUE;
	if (target != nullptr && target->Looper() != nullptr
		&& (looper == nullptr || target->Looper() == looper)) {
		fToken = target->Token();
		status = B_OK;
	} else if (target != nullptr) {
		status = B_MISMATCHED_VALUES;
	}
	if (result != nullptr)
		*result = status;
}

BMessenger::BMessenger(const char* signature, team_id, status_t* result)
	: fToken(-1)
{
	status_t status = B_BAD_VALUE;
	if (signature != nullptr) {
		if (be_app != nullptr && signature == std::string(be_app->Signature())) {
			fToken = be_app->Token();
			status = B_OK;
		} else {
			fSignature = signature;
			status = receivers().count(fSignature) != 0 ? B_OK : B_BAD_VALUE;
		}
	}
	if (result != nullptr)
		*result = status;
}

BMessenger::~BMessenger()
{
}

bool BMessenger::IsValid() const
{
	if (!fSignature.empty())
		return receivers().count(fSignature) != 0;
	BHandler* handler = BHandler::HandlerForToken(fToken);
	return handler != nullptr && handler->Looper() != nullptr;
}

BHandler* BMessenger::Target(BLooper** looper) const
{
	BHandler* handler = BHandler::HandlerForToken(fToken);
	if (looper != nullptr)
		*looper = handler != nullptr ? handler->Looper() : nullptr;
	return handler;
}

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler*, bigtime_t) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	// Every looper belongs to the GUI thread: sent from another thread, the message is handed
	// to it and sent from there.
	QCoreApplication* app = QCoreApplication::instance();
	if (app != nullptr && QThread::currentThread() != app->thread()) {
		BMessenger target(*this);
		BMessage copy(*message);
		QMetaObject::invokeMethod(app, [target, copy]() mutable { target.SendMessage(&copy); },
			Qt::QueuedConnection);
		return B_OK;
	}
	if (!fSignature.empty()) {
		auto found = receivers().find(fSignature);
		if (found == receivers().end())
			return B_BAD_PORT_ID;
		found->second(*message);
		return B_OK;
	}
	BHandler* handler = BHandler::HandlerForToken(fToken);
	if (handler == nullptr || handler->Looper() == nullptr)
		return B_BAD_PORT_ID;
	return handler->Looper()->PostMessage(message, handler);
}
