#include <Roster.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <Message.h>

namespace {

const BRoster g_roster;

// A program still running when Qt's application goes is waited for: killing it could leave
// its work half done.
void wait_at_end(QProcess* process)
{
	QObject::connect(QCoreApplication::instance(), &QObject::destroyed, process, [process] {
		process->waitForFinished(-1);
	});
}

}

const BRoster* be_roster = &g_roster;

status_t BRoster::GetRunningAppInfo(app_info* info) const
{
	if (info == nullptr)
		return B_BAD_VALUE;
	QString path = QCoreApplication::applicationFilePath();
	if (path.isEmpty())
		return B_ERROR;
	return info->ref.set_path(path.toUtf8().constData());
}

status_t BRoster::Launch(const char* path, int argc, const char* const* args, const char* folder,
	const BMessenger& target, const BMessage& whenDone) const
{
	if (path == nullptr || QCoreApplication::instance() == nullptr)
		return B_BAD_VALUE;
	QStringList arguments;
	for (int i = 0; i < argc; i++)
		arguments << QString::fromUtf8(args[i]);
	QProcess* process = new QProcess(QCoreApplication::instance());
	process->setProgram(QString::fromUtf8(path));
	process->setArguments(arguments);
	if (folder != nullptr)
		process->setWorkingDirectory(QString::fromUtf8(folder));
	process->setStandardInputFile(QProcess::nullDevice());
	process->setStandardOutputFile(QProcess::nullDevice());

	BMessage done(whenDone);
	auto tell = [process, target, done](int32 status, const QString& output) mutable {
		done.AddInt32("status", status);
		done.AddString("output", output.toUtf8().constData());
		target.SendMessage(&done);
		process->deleteLater();
	};
	QObject::connect(process, &QProcess::finished, process,
		[process, tell](int code, QProcess::ExitStatus how) mutable {
			tell(how == QProcess::NormalExit ? code : -1,
				QString::fromLocal8Bit(process->readAllStandardError()));
		});
	QObject::connect(process, &QProcess::errorOccurred, process,
		[process, tell](QProcess::ProcessError error) mutable {
			if (error == QProcess::FailedToStart)
				tell(-1, process->errorString());
		});
	process->start();
	wait_at_end(process);
	return B_OK;
}
