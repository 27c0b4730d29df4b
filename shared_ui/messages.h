#ifndef TEVRA_MESSAGES_H
#define TEVRA_MESSAGES_H

#include <SupportDefs.h>

// The codes the two windows of config mode talk in.
enum : uint32 {
	// From the panel's controls to the panel.
	kMsgValueChanged = 'Vchg',
	kMsgSliderMoved = 'Smov',
	kMsgButtonHit = 'Bhit',
	kMsgMenuSelected = 'Msel',
	kMsgSearchImage = 'bimg',
	kMsgTypedImage = 'timg',
	kMsgFileNew = 'fine',
	kMsgFileOpen = 'fiop',
	kMsgFileSave = 'fiwr',
	kMsgFileSaveNow = 'fisv',
	// The design on the desktop, the daily timer, and a bundled example opened as a copy.
	kMsgSetWallpaper = 'fiwp',
	kMsgRedrawDaily = 'fidy',
	kMsgOpenExample = 'fiex',
	// The answer to a question that goes on with "then" when its second button is chosen.
	kMsgAsked = 'askd',
	// Create mode, run for "Set as wallpaper", has ended ("status", "output").
	kMsgWallpaperDrawn = 'wpdn',
	// The application asks the panel to settle unsaved changes before it quits.
	kMsgFileQuit = 'fiqu',
	// The answer to the question before discarding unsaved changes ("which").
	kMsgDiscardAnswer = 'disc',
	kMsgUndo = 'undo',
	kMsgRedo = 'redo',
	// A slider let go: the end of a sweep, one step of the edit history.
	kMsgSliderReleased = 'Sdon',
	// From the preview to the panel: which object to edit ("edit_no").
	kMsgEditRequest = 'Preq',
	// From the panel (and its file panels) to the preview.
	kMsgRedraw = 'draw',
	kMsgSelect = 'slct',
	kMsgClear = 'aclr',
	kMsgLoadImage = 'rimg',
	kMsgLoadConfig = 'rcfg',
	kMsgSaveConfig = 'wcfg',
	// The design was given a file that does not exist yet.
	kMsgNamed = 'dnam',
};

#endif
