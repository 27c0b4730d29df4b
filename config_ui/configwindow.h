#ifndef TEVRA_CONFIGWINDOW_H
#define TEVRA_CONFIGWINDOW_H

#include <Window.h>

class BMenuItem;
class configview;

// The small fixed window with the "File" and "Edit" menus and the settings panel.
class configwindow : public BWindow {
public:
	configwindow(BRect frame);
	~configwindow() override;

	bool QuitRequested() override;
	void MenusBeginning() override;
	void setupmenus();

	configview* panel;

private:
	BMenuItem* _ExamplesMenu();

	// "Redraw every day", checked while the service manager redraws the daily design.
	BMenuItem* fDailyItem;
};

#endif
