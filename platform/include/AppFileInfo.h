#ifndef _APP_FILE_INFO_H
#define _APP_FILE_INFO_H

#include <File.h>
#include <NodeInfo.h>

class BAppFileInfo : public BNodeInfo {
public:
	BAppFileInfo();
	BAppFileInfo(BFile* file);
	~BAppFileInfo() override;

	status_t SetTo(BFile* file);
};

#endif
