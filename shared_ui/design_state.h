#ifndef TEVRA_DESIGN_STATE_H
#define TEVRA_DESIGN_STATE_H

#include <string>

#include <SupportDefs.h>

class edit_history;

// The design as config mode keeps it: its edit history, its file, and the preview's title
// that shows both.
extern edit_history history;
// Set once unsaved changes were settled (saved or let go): the application may quit.
extern bool quit_confirmed;

// After a change to the design: one step of the history if it differs, and the title. A change
// of a series (see edit_history::record) merges with the one before of the same series.
void note_change(int32 series = -1);
// The design as it is now starts a fresh history and counts as saved (New, Open, start).
void start_history();
// The preview's title: "tevra preview — NAME", with " *" while there are unsaved changes.
void show_design_state();
// The file name of the design, "" while it has none.
std::string design_name();
// A notice in an alert that leaves the windows working.
void tell(const std::string& text);
// Tells the user in one alert, without waiting, of the design's files that could not be
// read since the list was last emptied, and empties it.
void report_unread_files();

#endif
