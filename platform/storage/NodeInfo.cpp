#include <AppFileInfo.h>
#include <NodeInfo.h>

#include <cstring>

#include "os_calls.h"

namespace {

const char kTypeAttr[] = "BEOS:TYPE";

}

BNodeInfo::BNodeInfo()
	: fNode(nullptr)
{
}

BNodeInfo::BNodeInfo(BNode* node)
	: fNode(nullptr)
{
	SetTo(node);
}

BNodeInfo::~BNodeInfo()
{
}

status_t BNodeInfo::SetTo(BNode* node)
{
	fNode = node != nullptr && node->InitCheck() == B_OK ? node : nullptr;
	return InitCheck();
}

status_t BNodeInfo::SetType(const char* type)
{
	if (fNode == nullptr)
		return B_NO_INIT;
	if (type == nullptr || strlen(type) >= B_MIME_TYPE_LENGTH)
		return B_BAD_VALUE;
	ssize_t written = fNode->WriteAttr(kTypeAttr, B_MIME_STRING_TYPE, 0, type,
		strlen(type) + 1);
	if (written < 0)
		return written;
	// Linux file managers read the shared-mime-info attribute; failing it is not fatal.
	g_os_calls.fsetxattr(fNode->fFd, "user.mime_type", type, strlen(type), 0);
	return B_OK;
}

status_t BNodeInfo::GetType(char* type) const
{
	if (fNode == nullptr)
		return B_NO_INIT;
	ssize_t read = fNode->ReadAttr(kTypeAttr, B_MIME_STRING_TYPE, 0, type,
		B_MIME_TYPE_LENGTH - 1);
	if (read < 0)
		return read;
	type[read] = '\0';
	return B_OK;
}

BAppFileInfo::BAppFileInfo()
{
}

BAppFileInfo::BAppFileInfo(BFile* file)
	: BNodeInfo(file)
{
}

BAppFileInfo::~BAppFileInfo()
{
}

status_t BAppFileInfo::SetTo(BFile* file)
{
	return BNodeInfo::SetTo(file);
}
