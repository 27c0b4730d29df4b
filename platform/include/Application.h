#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <Looper.h>
#include <Messenger.h>

class BWindow;

class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	~BApplication() override;

	virtual void AboutRequested();
	void DispatchMessage(BMessage* message, BHandler* handler) override;
	bool QuitRequested() override;
	void Quit() override;

	virtual thread_id Run();
	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;
	const char* Signature() const { return fSignature.c_str(); }

private:
	// What the application holds of Qt: its application object, when it made one.
	struct Data;

	std::string fSignature;
	Data* fData;
	bool fRunning;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif
