#ifndef _CONTROL_PRIVATE_H
#define _CONTROL_PRIVATE_H

#include <Control.h>

// The layer's way into a control.
class BControl::Private {
public:
	// Brings in line what the Qt widget of every control shows: whether it is enabled.
	static void SyncEnabled(BView* view);
};

#endif
