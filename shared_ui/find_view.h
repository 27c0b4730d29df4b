#ifndef TEVRA_FIND_VIEW_H
#define TEVRA_FIND_VIEW_H

class BView;

// The view of that name in any of the application's windows, or null: how the two windows
// of config mode find each other (the preview view "preview", the panel "configview").
BView* find_view(const char* name);

#endif
