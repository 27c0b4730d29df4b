#include "shared_ui/ui_globals.h"

#include <Messenger.h>

#include "model/events.h"
#include "shared_ui/messages.h"

BFilePanel* fp = nullptr;
selection_frame sel_now = {false, BRect()};
selection_frame sel_old = {false, BRect()};

namespace {

// Set on the windows' thread before any feed is asked for; read by the thread that fetched.
BMessenger g_events_target;

void events_arrived()
{
	g_events_target.SendMessage(kMsgRedraw);
}

}

void set_events_target(const BMessenger& target)
{
	g_events_target = target;
}

void reload_events()
{
	load_events_in_background(events_arrived);
}
