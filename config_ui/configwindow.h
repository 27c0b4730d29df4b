#ifndef TEVRA_CONFIGWINDOW_H
#define TEVRA_CONFIGWINDOW_H

#include <Window.h>

class configview;

// The small fixed window with the "File" and "Edit" menus and the settings panel.
class configwindow : public BWindow {
public:
	configwindow(BRect frame);
	~configwindow() override;

	bool QuitRequested() override;
	void setupmenus();

	configview* panel;
};

#endif
