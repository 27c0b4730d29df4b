#ifndef TEVRA_DESIGN_PATHS_H
#define TEVRA_DESIGN_PATHS_H

#include <functional>
#include <string>
#include <vector>

// The design file being worked on, as an absolute path; empty while none is named. The
// files a design names (its base image, its calendar files) belong to it: a relative path is
// read from the design's folder first.
extern std::string design_path;

// Files of the design that could not be read since the list was last emptied, each as
// "path: reason"; config mode tells the user of them.
extern std::vector<std::string> unread_files;

// The folder of a design file, with its final slash; "" for no file.
std::string folder_of(const std::string& file);

// path made absolute against the working folder; "" stays "".
std::string absolute_path(const std::string& path);

// Where a path named by the design is read: "~/" is the home folder; a relative path is read
// from the design's folder when a file of that name is there, else from the working folder.
// Addresses (anything with "://") are left alone.
std::string design_file_path(const std::string& given);

// A path named by a design at `from`, written for the same design saved at `to`, so that it
// names the same file: relative paths are rewritten when the folder changes, relative to the
// new folder when the file lies inside it, else absolute. Other paths stay as given.
std::string moved_design_path(const std::string& given, const std::string& from,
	const std::string& to);

// Every path the design names (its base image, its calendar files and feeds) replaced by what
// rewrite makes of it.
void rewrite_design_paths(const std::function<std::string(const std::string&)>& rewrite);
// The design's paths rewritten in place for the design moved from one file to another, as
// moved_design_path does; to "" makes them absolute (a copy with no file of its own).
void move_paths(const std::string& from, const std::string& to);

#endif
