#ifndef TEVRA_DAILY_DESIGN_H
#define TEVRA_DAILY_DESIGN_H

#include <string>

#include <SupportDefs.h>

class tevraview;

// The design the daily timer draws, $XDG_CONFIG_HOME/tevra/design.tevra (~/.config when the
// variable is not set), and the picture it draws it into, ~/.local/share/tevra/wallpaper.png,
// as the timer's unit names them. "" without a home folder.
std::string daily_design_path();
std::string daily_picture_path();

// Saves the design as the daily design, its folder made when needed: relative paths are
// rewritten as "Save as" does, and the files it names inside adopt (the examples' folder,
// or "") are copied beside it and named relatively, so that the daily design keeps working
// when the examples go. A design that cannot be saved is left as it was.
status_t save_daily_design(tevraview* view, const std::string& adopt);

#endif
