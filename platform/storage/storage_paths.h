#ifndef TEVRA_STORAGE_PATHS_H
#define TEVRA_STORAGE_PATHS_H

#include <string>

#include <SupportDefs.h>

// Haiku's home folder "/boot/home" names the user's home folder here, and its Desktop folder
// the XDG desktop folder (user-dirs.dirs), $HOME/Desktop when none is named; while that
// folder does not exist, $XDG_STATE_HOME/tevra/Desktop, made when first named. Returns path
// itself when it lies elsewhere (or cannot be mapped), else buffer.
const char* map_haiku_path(const char* path, char* buffer, size_t size);

// Turns a path as the system writes it into the absolute path of the entry: Haiku's home
// folder mapped, relative paths taken from the current folder, the folder part resolved
// through the file system (it must exist), the leaf kept as given unless traverse asks to
// follow a final link.
status_t resolve_entry_path(const char* path, bool traverse, std::string* result);

#endif
