#include <Node.h>

#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include <Entry.h>

#include "os_calls.h"
#include "storage_paths.h"

namespace {

std::string xattr_name(const char* name)
{
	return std::string("user.haiku.") + name;
}

}

BNode::BNode()
	: fFd(-1), fStatus(B_NO_INIT)
{
}

BNode::BNode(const char* path)
	: fFd(-1), fStatus(B_NO_INIT)
{
	SetTo(path);
}

BNode::BNode(const entry_ref* ref)
	: fFd(-1), fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BNode::~BNode()
{
	Unset();
}

status_t BNode::_Open(const char* path, int flags, mode_t mode)
{
	Unset();
	std::string resolved;
	fStatus = resolve_entry_path(path, false, &resolved);
	if (fStatus != B_OK)
		return fStatus;
	fFd = g_os_calls.open(resolved.c_str(), flags, mode);
	if (fFd < 0) {
		fStatus = -errno;
		return fStatus;
	}
	fPath = resolved;
	return fStatus = B_OK;
}

status_t BNode::SetTo(const char* path)
{
	// O_RDONLY works for folders too; attributes are written through the descriptor.
	return _Open(path, O_RDONLY);
}

status_t BNode::SetTo(const entry_ref* ref)
{
	if (ref == nullptr || ref->Path() == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(ref->Path());
}

void BNode::Unset()
{
	if (fFd >= 0)
		g_os_calls.close(fFd);
	fFd = -1;
	fPath.clear();
	fStatus = B_NO_INIT;
}

ssize_t BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
	size_t length)
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == nullptr || (buffer == nullptr && length > 0) || offset != 0)
		return B_BAD_VALUE;
	std::vector<char> value(sizeof(type) + length);
	memcpy(value.data(), &type, sizeof(type));
	if (length > 0)
		memcpy(value.data() + sizeof(type), buffer, length);
	if (g_os_calls.fsetxattr(fFd, xattr_name(name).c_str(), value.data(), value.size(), 0) != 0)
		return -errno;
	return length;
}

ssize_t BNode::ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
	size_t length) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == nullptr || offset < 0)
		return B_BAD_VALUE;
	std::string attr = xattr_name(name);
	ssize_t size = fgetxattr(fFd, attr.c_str(), nullptr, 0);
	if (size < 0)
		return errno == ENODATA ? B_ENTRY_NOT_FOUND : -errno;
	std::vector<char> value(size);
	size = fgetxattr(fFd, attr.c_str(), value.data(), value.size());
	if (size < (ssize_t)sizeof(type_code))
		return B_BAD_DATA;
	type_code stored;
	memcpy(&stored, value.data(), sizeof(stored));
	if (type != B_ANY_TYPE && stored != type)
		return B_BAD_TYPE;
	size_t dataSize = size - sizeof(type_code);
	if ((size_t)offset >= dataSize)
		return 0;
	size_t count = std::min(length, dataSize - (size_t)offset);
	memcpy(buffer, value.data() + sizeof(type_code) + offset, count);
	return count;
}

status_t BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return fStatus;
	if (fremovexattr(fFd, xattr_name(name).c_str()) != 0)
		return errno == ENODATA ? B_ENTRY_NOT_FOUND : -errno;
	return B_OK;
}

status_t BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return fStatus;
	type_code type;
	std::string attr = xattr_name(name);
	ssize_t size = fgetxattr(fFd, attr.c_str(), nullptr, 0);
	if (size < 0)
		return errno == ENODATA ? B_ENTRY_NOT_FOUND : -errno;
	if (size < (ssize_t)sizeof(type))
		return B_BAD_DATA;
	std::vector<char> value(size);
	size = fgetxattr(fFd, attr.c_str(), value.data(), value.size());
	if (size < (ssize_t)sizeof(type))
		return B_BAD_DATA;
	memcpy(&type, value.data(), sizeof(type));
	info->type = type;
	info->size = size - sizeof(type);
	return B_OK;
}

status_t BNode::Sync()
{
	if (fStatus != B_OK)
		return fStatus;
	if (g_os_calls.fsync(fFd) != 0)
		return -errno;
	return B_OK;
}
