#include <LaunchRoster.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QThread>

namespace {

const char* const kService = "org.freedesktop.systemd1";
const char* const kManagerPath = "/org/freedesktop/systemd1";
const char* const kManager = "org.freedesktop.systemd1.Manager";
// A menu waits on each call: a manager that has not answered by then is taken as gone.
const int kCallTimeoutMs = 3000;
// How long a start or a stop may take before the call returns without it.
const auto kJobWait = std::chrono::seconds(5);
const unsigned long kJobPollMs = 20;

std::atomic<int> sRosters(0);

struct error_status {
	const char* name;
	status_t status;
};

const error_status kErrorStatus[] = {
	{"org.freedesktop.systemd1.NoSuchUnit", B_ENTRY_NOT_FOUND},
	{"org.freedesktop.DBus.Error.FileNotFound", B_ENTRY_NOT_FOUND},
	{"org.freedesktop.DBus.Error.AccessDenied", B_PERMISSION_DENIED},
	{"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", B_PERMISSION_DENIED},
	{"org.freedesktop.systemd1.UnitMasked", B_NOT_ALLOWED},
	{"org.freedesktop.DBus.Error.InvalidArgs", B_BAD_VALUE},
	{"org.freedesktop.systemd1.BadUnitSetting", B_BAD_VALUE},
	{"org.freedesktop.DBus.Error.NoReply", B_TIMED_OUT},
	{"org.freedesktop.DBus.Error.Timeout", B_TIMED_OUT},
	{"org.freedesktop.DBus.Error.TimedOut", B_TIMED_OUT},
	{"org.freedesktop.DBus.Error.ServiceUnknown", B_NO_INIT},
	{"org.freedesktop.DBus.Error.NameHasNoOwner", B_NO_INIT},
	{"org.freedesktop.DBus.Error.NoServer", B_NO_INIT},
	{"org.freedesktop.DBus.Error.Disconnected", B_NO_INIT},
};

status_t status_for_error(const QString& name)
{
	for (const error_status& known : kErrorStatus) {
		if (name == QLatin1String(known.name))
			return known.status;
	}
	return B_ERROR;
}

// As libdbus writes an address's value: bytes outside a small set become %XX.
std::string escaped_address_value(const std::string& value)
{
	static const char kHex[] = "0123456789abcdef";
	std::string escaped;
	for (unsigned char c : value) {
		if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
			|| (c != '\0' && strchr("-_/.\\*", c) != nullptr)) {
			escaped += static_cast<char>(c);
		} else {
			escaped += '%';
			escaped += kHex[c >> 4];
			escaped += kHex[c & 15];
		}
	}
	return escaped;
}

// The session bus where libdbus finds it.
std::string session_bus_address()
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address != nullptr && address[0] != '\0')
		return address;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime == nullptr || runtime[0] == '\0')
		return "";
	return "unix:path=" + escaped_address_value(std::string(runtime) + "/bus");
}

QDBusMessage manager_call(const char* method)
{
	return QDBusMessage::createMethodCall(kService, kManagerPath, kManager, method);
}

QDBusMessage property_get(const QString& path, const char* interface, const char* property)
{
	QDBusMessage message = QDBusMessage::createMethodCall(kService, path,
		"org.freedesktop.DBus.Properties", "Get");
	message << QString(interface) << QString(property);
	return message;
}

// Sends and waits, within the bound; a failure's status, with the error's text in *text.
status_t call(const std::string& connection, const QDBusMessage& message, QDBusMessage* reply,
	std::string* text)
{
	*reply = QDBusConnection(QString::fromStdString(connection)).call(message, QDBus::Block,
		kCallTimeoutMs);
	if (reply->type() == QDBusMessage::ReplyMessage)
		return B_OK;
	QString words = reply->errorMessage().isEmpty() ? reply->errorName()
		: reply->errorMessage();
	*text = words.isEmpty() ? "No answer from the service manager" : words.toStdString();
	return status_for_error(reply->errorName());
}

// A reply's first value, unwrapped from the variant a property comes in.
QVariant first_value(const QDBusMessage& reply)
{
	QList<QVariant> arguments = reply.arguments();
	if (arguments.isEmpty())
		return QVariant();
	if (arguments.first().metaType() == QMetaType::fromType<QDBusVariant>())
		return arguments.first().value<QDBusVariant>().variant();
	return arguments.first();
}

// A start or a stop is a job of the manager's, whose object goes once it is carried out.
status_t wait_for_job(const std::string& connection, const QDBusMessage& queued,
	std::string* text)
{
	QString job = first_value(queued).value<QDBusObjectPath>().path();
	QDBusMessage state = property_get(job, "org.freedesktop.systemd1.Job", "State");
	auto deadline = std::chrono::steady_clock::now() + kJobWait;
	for (;;) {
		QDBusMessage reply;
		std::string words;
		status_t status = call(connection, state, &reply, &words);
		if (status == B_TIMED_OUT || status == B_NO_INIT) {
			*text = words;
			return status;
		}
		if (status != B_OK)
			return B_OK;
		if (std::chrono::steady_clock::now() >= deadline) {
			*text = "The service manager has not finished " + job.toStdString();
			return B_TIMED_OUT;
		}
		QThread::msleep(kJobPollMs);
	}
}

status_t active_state(const std::string& connection, const char* name, QString* state,
	std::string* text)
{
	QDBusMessage load = manager_call("LoadUnit");
	load << QString::fromUtf8(name);
	QDBusMessage reply;
	status_t status = call(connection, load, &reply, text);
	if (status != B_OK)
		return status;
	QString unit = first_value(reply).value<QDBusObjectPath>().path();
	status = call(connection, property_get(unit, "org.freedesktop.systemd1.Unit", "ActiveState"),
		&reply, text);
	if (status == B_OK)
		*state = first_value(reply).toString();
	return status;
}

// What every call checks first: a manager to ask and a unit to ask about.
status_t can_ask(status_t init, const char* name, std::string* text)
{
	if (init == B_OK && name == nullptr) {
		*text = "No unit named";
		return B_BAD_VALUE;
	}
	return init;
}

}

BLaunchRoster::BLaunchRoster()
	: fConnection("tevra-launch-roster-" + std::to_string(++sRosters)), fStatus(B_NO_INIT)
{
	std::string address = session_bus_address();
	if (address.empty()) {
		fErrorText = "No session bus: neither DBUS_SESSION_BUS_ADDRESS nor XDG_RUNTIME_DIR "
			"is set";
		return;
	}
	QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(address.c_str()),
		QString::fromStdString(fConnection));
	if (!bus.isConnected()) {
		fErrorText = bus.lastError().message().toStdString();
		return;
	}
	// The bus first: one that starts a missing manager on demand would hold a call to it until
	// the call timed out.
	QDBusMessage owner = QDBusMessage::createMethodCall("org.freedesktop.DBus",
		"/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
	owner << QString(kService);
	QDBusMessage reply;
	status_t status = call(fConnection, owner, &reply, &fErrorText);
	if (status == B_OK && !first_value(reply).toBool()) {
		fErrorText = "No service manager on the session bus";
		return;
	}
	if (status == B_OK) {
		status = call(fConnection, property_get(kManagerPath, kManager, "Version"), &reply,
			&fErrorText);
	}
	fStatus = status == B_OK || status == B_TIMED_OUT ? status : B_NO_INIT;
}

BLaunchRoster::~BLaunchRoster()
{
	QDBusConnection::disconnectFromBus(QString::fromStdString(fConnection));
}

status_t BLaunchRoster::InitCheck() const
{
	return fStatus;
}

status_t BLaunchRoster::Start(const char* name)
{
	status_t status = can_ask(fStatus, name, &fErrorText);
	if (status != B_OK)
		return status;
	QDBusMessage start = manager_call("StartUnit");
	start << QString::fromUtf8(name) << QString("replace");
	QDBusMessage reply;
	status = call(fConnection, start, &reply, &fErrorText);
	if (status == B_OK)
		status = wait_for_job(fConnection, reply, &fErrorText);
	QString state;
	if (status == B_OK)
		status = active_state(fConnection, name, &state, &fErrorText);
	if (status == B_OK && state == "failed") {
		fErrorText = std::string(name) + " failed";
		status = B_ERROR;
	}
	return status;
}

status_t BLaunchRoster::Stop(const char* name, bool force)
{
	status_t status = can_ask(fStatus, name, &fErrorText);
	if (status != B_OK)
		return status;
	QDBusMessage stop = manager_call("StopUnit");
	stop << QString::fromUtf8(name) << QString(force ? "replace-irreversibly" : "replace");
	QDBusMessage reply;
	status = call(fConnection, stop, &reply, &fErrorText);
	if (status == B_OK)
		status = wait_for_job(fConnection, reply, &fErrorText);
	return status;
}

status_t BLaunchRoster::SetEnabled(const char* name, bool enabled)
{
	status_t status = can_ask(fStatus, name, &fErrorText);
	if (status != B_OK)
		return status;
	// Not for this session only (runtime false); enabling replaces links in the way (force).
	QDBusMessage change = manager_call(enabled ? "EnableUnitFiles" : "DisableUnitFiles");
	change << QStringList(QString::fromUtf8(name)) << false;
	if (enabled)
		change << true;
	QDBusMessage reply;
	status = call(fConnection, change, &reply, &fErrorText);
	if (status == B_OK)
		status = call(fConnection, manager_call("Reload"), &reply, &fErrorText);
	return status;
}

status_t BLaunchRoster::GetJobInfo(const char* name, BMessage& info)
{
	status_t status = can_ask(fStatus, name, &fErrorText);
	if (status != B_OK)
		return status;
	QDBusMessage fileState = manager_call("GetUnitFileState");
	fileState << QString::fromUtf8(name);
	QDBusMessage reply;
	status = call(fConnection, fileState, &reply, &fErrorText);
	QString state;
	if (status == B_OK)
		status = active_state(fConnection, name, &state, &fErrorText);
	if (status != B_OK)
		return status;
	QString file = first_value(reply).toString();
	info.MakeEmpty();
	info.AddString("name", name);
	info.AddBool("enabled", file == "enabled" || file == "enabled-runtime");
	info.AddBool("running", state == "active" || state == "reloading");
	return B_OK;
}

status_t BLaunchRoster::ImportEnvironment(const std::vector<std::string>& names)
{
	if (fStatus != B_OK)
		return fStatus;
	QStringList assignments;
	for (const std::string& name : names) {
		// "A=B" would set A.
		if (name.empty() || name.find('=') != std::string::npos) {
			fErrorText = "Not a variable's name: \"" + name + "\"";
			return B_BAD_VALUE;
		}
		const char* value = getenv(name.c_str());
		if (value != nullptr)
			assignments << QString::fromLocal8Bit((name + "=" + value).c_str());
	}
	if (assignments.isEmpty())
		return B_OK;
	QDBusMessage set = manager_call("SetEnvironment");
	set << assignments;
	QDBusMessage reply;
	return call(fConnection, set, &reply, &fErrorText);
}

const char* BLaunchRoster::ErrorText() const
{
	return fErrorText.c_str();
}
