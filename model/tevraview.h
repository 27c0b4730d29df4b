#ifndef TEVRA_TEVRAVIEW_H
#define TEVRA_TEVRAVIEW_H

#include <string>

#include <Entry.h>
#include <View.h>

class BBitmap;

// The calendar view: owns the screen-sized picture and composes it from the design. It is
// never placed in a window; it draws into its own bitmap.
class tevraview : public BView {
public:
	tevraview(BRect frame);
	~tevraview() override;

	// Empties the object list and puts every setting back to its default.
	void clr_obj();
	// Gives the picture the size the design's `screens` asks for, from the screens as they
	// are now: the main screen's, or the box around them all.
	void fit_screens();
	// Reads a design into the settings and the object list, and makes it the design worked
	// on; a file that cannot be read leaves everything as it was (false).
	bool load_config(entry_ref* ref);
	// Writes the design as name inside folder, which it then is (its relative paths moved
	// along); returns whether it was written whole.
	status_t save_config(entry_ref* folder, const char* name);
	// Decodes an image file into the base image; true when it could be.
	bool load(entry_ref* ref);
	// The base image as the design names it: the name is kept as given even when the file
	// cannot be read (noted in unread_files), so saving never drops it.
	bool load_base_image(const char* given);
	// Composes the picture: base colour, base image, then every calendar.
	void create_wallpaper();
	// Draws every calendar object over the picture.
	void draw_cal();
	// Writes the picture as name inside folder in the chosen output format; the status
	// tells create mode whether the file was written.
	status_t save(entry_ref* folder, const char* name);
	// Makes an image file the desktop background of the first workspace. Returns whether the
	// background could be recorded on the desktop folder; a failed write keeps the one before.
	status_t set_wallpaper(const char* path);

	BBitmap* wallbmp;
	BBitmap* baseimg;
	// Why the base image the design names could not be read, as "path: reason"; empty when
	// it was read or none is named. Create mode has no alert to show it in.
	std::string base_unread;
	// Whether the base image stays once drawn: config mode draws it after every change,
	// create mode once, and lets its pixels go at once (a large photograph weighs as much as
	// the picture).
	bool keep_base;
};

#endif
