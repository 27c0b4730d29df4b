#ifndef _NODE_H
#define _NODE_H

#include <string>

#include <StorageDefs.h>
#include <TypeConstants.h>

struct entry_ref;

struct attr_info {
	uint32 type;
	off_t size;
};

// A file system node, with its attributes kept as extended attributes the way Haiku's own
// tools keep them on other systems: "user.haiku." + name, the type code, then the data.
class BNode {
public:
	BNode();
	BNode(const char* path);
	BNode(const entry_ref* ref);
	virtual ~BNode();

	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	virtual void Unset();
	status_t InitCheck() const { return fStatus; }

	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
		size_t length);
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
		size_t length) const;
	status_t RemoveAttr(const char* name);
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	status_t Sync();

protected:
	int fFd;
	status_t fStatus;
	std::string fPath;

private:
	friend class BDirectory;
	friend class BFile;
	friend class BNodeInfo;

	status_t _Open(const char* path, int flags, mode_t mode = 0644);
};

#endif
