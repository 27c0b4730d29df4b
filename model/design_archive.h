#ifndef TEVRA_DESIGN_ARCHIVE_H
#define TEVRA_DESIGN_ARCHIVE_H

#include <SupportDefs.h>

class BMessage;
class tevraview;

// The whole design, its global settings and its calendars, archived key by key as the
// design file has them (one "calendar" message each), for the edit history.
void archive_design(BMessage* archive);

// Puts an archived design back into the settings and the object list. The base image is
// decoded again only when its name changed; the events are the caller's to read again when
// their sources changed. Returns the index of the first calendar that differs from what was
// there, -1 when every calendar is as it was.
int32 restore_design(tevraview* view, const BMessage* archive);

#endif
