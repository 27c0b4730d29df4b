#ifndef _NODE_INFO_H
#define _NODE_INFO_H

#include <Node.h>

class BNodeInfo {
public:
	BNodeInfo();
	BNodeInfo(BNode* node);
	virtual ~BNodeInfo();

	status_t SetTo(BNode* node);
	status_t InitCheck() const { return fNode != nullptr ? B_OK : B_NO_INIT; }

	// Stores the type where Haiku reads it ("BEOS:TYPE") and where Linux file managers
	// read it ("user.mime_type").
	virtual status_t SetType(const char* type);
	virtual status_t GetType(char* type) const;

protected:
	BNode* fNode;
};

#endif
