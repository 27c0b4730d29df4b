#include "shared_ui/find_view.h"

#include <Application.h>
#include <Window.h>

BView* find_view(const char* name)
{
	if (be_app == nullptr)
		return nullptr;
	for (int32 i = 0; BWindow* window = be_app->WindowAt(i); i++) {
		if (BView* view = window->FindView(name))
			return view;
	}
	return nullptr;
}
