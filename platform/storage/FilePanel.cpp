#include <FilePanel.h>

#include <QFileDialog>

#include <Window.h>

#include "../interface/WindowPrivate.h"

// The dialog, shown through a window whose title is the dialog's.
class BFilePanel::Dialog : public QFileDialog {
public:
	explicit Dialog(BFilePanel* panel) : fPanel(panel) {}
	void Detach() { fPanel = nullptr; }
	BFilePanel* Panel() const { return fPanel; }

private:
	BFilePanel* fPanel;
};

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
	uint32, bool allowMultipleSelection, BMessage* message, BRefFilter*, bool modal,
	bool hideWhenDone)
	: fMode(mode), fMessage(mode == B_OPEN_PANEL ? B_REFS_RECEIVED : B_SAVE_REQUESTED),
	fHideWhenDone(hideWhenDone), fDialog(new Dialog(this)), fWindow(nullptr)
{
	if (target != nullptr)
		fTarget = *target;
	if (message != nullptr)
		fMessage = *message;
	// Qt's own dialog behaves the same on every desktop and never blocks the loop.
	fDialog->setOption(QFileDialog::DontUseNativeDialog);
	fDialog->setModal(modal);
	if (mode == B_SAVE_PANEL) {
		fDialog->setAcceptMode(QFileDialog::AcceptSave);
		fDialog->setFileMode(QFileDialog::AnyFile);
	} else {
		fDialog->setAcceptMode(QFileDialog::AcceptOpen);
		fDialog->setFileMode(allowMultipleSelection ? QFileDialog::ExistingFiles
			: QFileDialog::ExistingFile);
	}
	if (directory != nullptr && directory->Path() != nullptr)
		fDialog->setDirectory(QString::fromUtf8(directory->Path()));
	fWindow = BWindow::Private::Adopt(fDialog, "");

	QObject::connect(fDialog, &QFileDialog::filesSelected, fDialog,
		[dialog = fDialog](const QStringList& files) {
			if (dialog->Panel() == nullptr)
				return;
			std::vector<std::string> paths;
			for (const QString& file : files)
				paths.push_back(file.toStdString());
			dialog->Panel()->_Chosen(paths);
		});
	QObject::connect(fDialog, &QFileDialog::rejected, fDialog, [dialog = fDialog]() {
		if (dialog->Panel() != nullptr)
			dialog->Panel()->_Cancelled();
	});
}

BFilePanel::~BFilePanel()
{
	fDialog->Detach();
	fDialog->hide();
	fDialog->deleteLater();
	delete fWindow;
}

void BFilePanel::Show()
{
	fDialog->show();
}

void BFilePanel::Hide()
{
	fDialog->hide();
}

void BFilePanel::SetMessage(BMessage* message)
{
	if (message != nullptr)
		fMessage = *message;
}

void BFilePanel::_Chosen(const std::vector<std::string>& paths)
{
	BMessage answer(fMessage);
	entry_ref ref;
	if (paths.empty() || get_ref_for_path(paths[0].c_str(), &ref) != B_OK)
		return;
	if (fMode == B_OPEN_PANEL) {
		for (const std::string& path : paths) {
			if (get_ref_for_path(path.c_str(), &ref) == B_OK)
				answer.AddRef("refs", &ref);
		}
	} else {
		BEntry entry(&ref);
		BEntry folder;
		entry_ref folderRef;
		char name[B_FILE_NAME_LENGTH];
		if (entry.GetParent(&folder) != B_OK || folder.GetRef(&folderRef) != B_OK
			|| entry.GetName(name) != B_OK)
			return;
		answer.AddRef("directory", &folderRef);
		answer.AddString("name", name);
	}
	if (fHideWhenDone)
		fDialog->hide();
	fTarget.SendMessage(&answer);
}

void BFilePanel::_Cancelled()
{
	fTarget.SendMessage(B_CANCEL);
}
