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
	// From the preview to the panel: which object to edit ("edit_no").
	kMsgEditRequest = 'Preq',
	// From the panel (and its file panels) to the preview.
	kMsgRedraw = 'draw',
	kMsgSelect = 'slct',
	kMsgClear = 'aclr',
	kMsgLoadImage = 'rimg',
	kMsgLoadConfig = 'rcfg',
	kMsgSaveConfig = 'wcfg',
};

#endif
