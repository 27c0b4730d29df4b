#ifndef _APP_DEFS_H
#define _APP_DEFS_H

// System message codes the layer delivers.
enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_CANCEL = '_CNC',
	B_QUIT_REQUESTED = '_QRQ',
	B_REFS_RECEIVED = '_RRC',
	B_SAVE_REQUESTED = '_SVR',
	B_CONTROL_INVOKED = '_CIV',
	// What a drag and drop of files delivers, with their "refs".
	B_SIMPLE_DATA = 'DATA',
};

#endif
