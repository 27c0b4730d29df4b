// Stands in for plasmashell on a private session bus: owns org.kde.plasmashell, answers
// org.kde.PlasmaShell.evaluateScript on /PlasmaShell, and appends each script it gets to the
// file named by its argument. Prints "ready" once it can be called.
#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>

namespace {

class plasma_shell : public QDBusVirtualObject {
public:
	explicit plasma_shell(const QString& record) : fRecord(record) {}

	QString introspect(const QString&) const override
	{
		return "<interface name=\"org.kde.PlasmaShell\">"
			"<method name=\"evaluateScript\"><arg name=\"script\" type=\"s\" direction=\"in\"/>"
			"<arg type=\"s\" direction=\"out\"/></method></interface>";
	}

	bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
	{
		if (message.interface() != "org.kde.PlasmaShell" || message.member() != "evaluateScript"
			|| message.arguments().size() != 1) {
			connection.send(message.createErrorReply(QDBusError::UnknownMethod, "no such method"));
			return true;
		}
		// Recorded whole before the answer: the caller reads the record as soon as it returns.
		{
			QFile file(fRecord);
			if (file.open(QIODevice::Append)) {
				file.write(message.arguments().at(0).toString().toUtf8());
				file.write("\n--- end of script ---\n");
			}
		}
		connection.send(message.createReply(QString()));
		return true;
	}

private:
	QString fRecord;
};

}

int main(int argc, char** argv)
{
	QCoreApplication app(argc, argv);
	if (argc != 2)
		return 2;
	QDBusConnection bus = QDBusConnection::sessionBus();
	plasma_shell shell(QString::fromLocal8Bit(argv[1]));
	if (!bus.isConnected() || !bus.registerVirtualObject("/PlasmaShell", &shell)
		|| !bus.registerService("org.kde.plasmashell"))
		return 1;
	printf("ready\n");
	fflush(stdout);
	return app.exec();
}
