#ifndef TEVRA_TEVRA_H
#define TEVRA_TEVRA_H

#include <Application.h>

class configwindow;
class prevwindow;
class tevraview;

extern const char kSignature[];
extern const char kUsage[];

// The application: builds the catalogues, then either makes the wallpaper (create mode,
// all inside the constructor) or opens the two windows of config mode.
class tevra : public BApplication {
public:
	tevra(int argc, char** argv);
	~tevra() override;

	void AboutRequested() override;
	// Config mode first lets the panel settle unsaved changes, which asks again once done.
	bool QuitRequested() override;

	void get_translator_for_output();
	void get_fonts();
	// Create mode: read the design, compose, write the picture, set the desktop if asked.
	void create(const char* configPath, const char* outputPath);
	// Config mode on the design at path, which is made at the first save if it is not there.
	void open_design(const char* path);

	tevraview* view;
	prevwindow* pwin;
	configwindow* cwin;
	// What create mode tells the shell: 1 when the picture could not be written.
	int exit_status;

private:
	// The About box waits in a loop of its own, where the menu still works.
	bool fAboutShown;
};

#endif
