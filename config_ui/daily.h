#ifndef TEVRA_DAILY_H
#define TEVRA_DAILY_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// What config mode needs to put the design on the desktop every day: the program whose create
// mode draws it, the bundled examples, and the user's service manager that runs the timer.

// The program create mode runs in: this one, unless set (tests name the built program).
extern std::string tevra_program;
const std::string& create_mode_program();

// The folder of the bundled examples, with no final slash: the installed ones beside the
// program, or the source tree's when the program runs from its build; "" when there are none.
std::string examples_folder();
// The designs in it, sorted by name.
std::vector<std::string> example_designs();

// Whether the daily redraw is on: both units enabled and the timer running. False also when
// no service manager answers.
bool daily_redraw_on();
// Turns the daily redraw on (the session's display handed to the service manager first) or
// off. "" when done, else why not, in words for an alert.
std::string set_daily_redraw(bool on);
// Whether a user service manager answers here at all.
bool service_manager_present();
// The line that does the daily redraw with cron instead, for this session.
std::string cron_line();

#endif
