#include <Message.h>

#include <cstring>
#include <set>

#include <Entry.h>

namespace {

// The layout of Haiku's flattened message ("HMF1"): a 68-byte header with a five-slot hash
// table, one 24-byte header per field, then each field's name and items in the data area.
const uint32 kMessageFormatHaiku = '1FMH';
const int32 kHashTableSize = 5;
const uint32 kMessageFlagValid = 0x0001;
const uint16 kFieldFlagValid = 0x0001;
const uint16 kFieldFlagFixedSize = 0x0002;

#pragma pack(push, 1)
struct message_header {
	uint32 format;
	uint32 what;
	uint32 flags;
	int32 target;
	int32 current_specifier;
	int32 message_area;
	int32 reply_port;
	int32 reply_target;
	int32 reply_team;
	uint32 data_size;
	uint32 field_count;
	uint32 hash_table_size;
	int32 hash_table[kHashTableSize];
};

struct field_header {
	uint16 flags;
	uint16 name_length;
	uint32 type;
	uint32 count;
	uint32 data_size;
	uint32 offset;
	int32 next_field;
};
#pragma pack(pop)

static_assert(sizeof(message_header) == 68, "flattened message header");
static_assert(sizeof(field_header) == 24, "flattened field header");

uint32 hash_name(const char* name)
{
	char ch;
	uint32 result = 0;
	while ((ch = *name++) != 0) {
		result = (result << 7) ^ (result >> 24);
		result ^= ch;
	}
	result ^= result << 12;
	return result;
}

size_t items_size(const std::vector<std::string>& items, bool fixedSize)
{
	size_t size = 0;
	for (const std::string& item : items)
		size += item.size() + (fixedSize ? 0 : sizeof(uint32));
	return size;
}

}

BMessage::BMessage()
	: what(0)
{
}

BMessage::BMessage(uint32 what)
	: what(what)
{
}

BMessage::BMessage(const BMessage& other) = default;

BPoint BMessage::DropPoint(BPoint* offset) const
{
	if (offset != nullptr)
		*offset = BPoint(0, 0);
	return fDropPoint;
}
BMessage::~BMessage() = default;
BMessage& BMessage::operator=(const BMessage& other) = default;

status_t BMessage::AddData(const char* name, type_code type, const void* data,
	ssize_t numBytes, bool isFixedSize, int32)
{
	if (name == nullptr || name[0] == '\0' || data == nullptr || numBytes <= 0
		|| strlen(name) >= 0xffff || type == B_ANY_TYPE)
		return B_BAD_VALUE;

	for (field& f : fFields) {
		if (f.name != name)
			continue;
		if (f.type != type)
			return B_BAD_TYPE;
		if (f.fixedSize && !f.items.empty() && f.items[0].size() != (size_t)numBytes)
			return B_BAD_VALUE;
		f.items.emplace_back((const char*)data, numBytes);
		return B_OK;
	}
	field f;
	f.name = name;
	f.type = type;
	f.fixedSize = isFixedSize;
	f.items.emplace_back((const char*)data, numBytes);
	fFields.push_back(f);
	return B_OK;
}

status_t BMessage::AddInt8(const char* name, int8 value)
{
	return AddData(name, B_INT8_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt16(const char* name, int16 value)
{
	return AddData(name, B_INT16_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt32(const char* name, int32 value)
{
	return AddData(name, B_INT32_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt64(const char* name, int64 value)
{
	return AddData(name, B_INT64_TYPE, &value, sizeof(value));
}

status_t BMessage::AddFloat(const char* name, float value)
{
	return AddData(name, B_FLOAT_TYPE, &value, sizeof(value));
}

status_t BMessage::AddDouble(const char* name, double value)
{
	return AddData(name, B_DOUBLE_TYPE, &value, sizeof(value));
}

status_t BMessage::AddBool(const char* name, bool value)
{
	int8 byte = value ? 1 : 0;
	return AddData(name, B_BOOL_TYPE, &byte, sizeof(byte));
}

status_t BMessage::AddString(const char* name, const char* string)
{
	if (string == nullptr)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t BMessage::AddPointer(const char* name, const void* pointer)
{
	return AddData(name, B_POINTER_TYPE, &pointer, sizeof(pointer));
}

status_t BMessage::AddPoint(const char* name, BPoint point)
{
	float xy[2] = {point.x, point.y};
	return AddData(name, B_POINT_TYPE, xy, sizeof(xy));
}

status_t BMessage::AddRect(const char* name, BRect rect)
{
	float ltrb[4] = {rect.left, rect.top, rect.right, rect.bottom};
	return AddData(name, B_RECT_TYPE, ltrb, sizeof(ltrb));
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == nullptr || ref->Path() == nullptr)
		return B_BAD_VALUE;
	return AddData(name, B_REF_TYPE, ref->Path(), strlen(ref->Path()) + 1, false);
}

status_t BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::string flat(message->FlattenedSize(), '\0');
	message->Flatten(&flat[0], flat.size());
	return AddData(name, B_MESSAGE_TYPE, flat.data(), flat.size(), false);
}

const BMessage::field* BMessage::_FindField(const char* name, type_code type,
	status_t* error) const
{
	if (name == nullptr) {
		*error = B_BAD_VALUE;
		return nullptr;
	}
	for (const field& f : fFields) {
		if (f.name != name)
			continue;
		if (type != B_ANY_TYPE && f.type != type) {
			*error = B_BAD_TYPE;
			return nullptr;
		}
		*error = B_OK;
		return &f;
	}
	*error = B_NAME_NOT_FOUND;
	return nullptr;
}

status_t BMessage::FindData(const char* name, type_code type, int32 index,
	const void** data, ssize_t* numBytes) const
{
	status_t error;
	const field* f = _FindField(name, type, &error);
	if (f == nullptr)
		return error;
	if (index < 0 || (size_t)index >= f->items.size())
		return B_BAD_INDEX;
	if (data != nullptr)
		*data = f->items[index].data();
	if (numBytes != nullptr)
		*numBytes = f->items[index].size();
	return B_OK;
}

status_t BMessage::FindData(const char* name, type_code type, const void** data,
	ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t BMessage::_FindFixed(const char* name, type_code type, int32 index, void* value,
	size_t size) const
{
	const void* data;
	ssize_t numBytes;
	status_t error = FindData(name, type, index, &data, &numBytes);
	if (error != B_OK)
		return error;
	if ((size_t)numBytes != size)
		return B_BAD_DATA;
	memcpy(value, data, size);
	return B_OK;
}

status_t BMessage::FindInt8(const char* name, int8* value) const
{
	return FindInt8(name, 0, value);
}

status_t BMessage::FindInt8(const char* name, int32 index, int8* value) const
{
	return _FindFixed(name, B_INT8_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindInt16(const char* name, int16* value) const
{
	return FindInt16(name, 0, value);
}

status_t BMessage::FindInt16(const char* name, int32 index, int16* value) const
{
	return _FindFixed(name, B_INT16_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}

status_t BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return _FindFixed(name, B_INT32_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindInt64(const char* name, int64* value) const
{
	return FindInt64(name, 0, value);
}

status_t BMessage::FindInt64(const char* name, int32 index, int64* value) const
{
	return _FindFixed(name, B_INT64_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindFloat(const char* name, float* value) const
{
	return FindFloat(name, 0, value);
}

status_t BMessage::FindFloat(const char* name, int32 index, float* value) const
{
	return _FindFixed(name, B_FLOAT_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindDouble(const char* name, double* value) const
{
	return _FindFixed(name, B_DOUBLE_TYPE, 0, value, sizeof(*value));
}

status_t BMessage::FindBool(const char* name, bool* value) const
{
	return FindBool(name, 0, value);
}

status_t BMessage::FindBool(const char* name, int32 index, bool* value) const
{
	int8 byte;
	status_t error = _FindFixed(name, B_BOOL_TYPE, index, &byte, sizeof(byte));
	if (error == B_OK)
		*value = byte != 0;
	return error;
}

status_t BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, const char** string) const
{
	const void* data;
	ssize_t numBytes;
	status_t error = FindData(name, B_STRING_TYPE, index, &data, &numBytes);
	if (error != B_OK)
		return error;
	// A string from a flattened buffer must end inside its item.
	if (numBytes < 1 || memchr(data, '\0', numBytes) == nullptr)
		return B_BAD_DATA;
	*string = (const char*)data;
	return B_OK;
}

status_t BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return _FindFixed(name, B_POINTER_TYPE, index, pointer, sizeof(*pointer));
}

status_t BMessage::FindPoint(const char* name, BPoint* point) const
{
	return FindPoint(name, 0, point);
}

status_t BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	float xy[2];
	status_t error = _FindFixed(name, B_POINT_TYPE, index, xy, sizeof(xy));
	if (error == B_OK)
		point->Set(xy[0], xy[1]);
	return error;
}

status_t BMessage::FindRect(const char* name, BRect* rect) const
{
	float ltrb[4];
	status_t error = _FindFixed(name, B_RECT_TYPE, 0, ltrb, sizeof(ltrb));
	if (error == B_OK)
		rect->Set(ltrb[0], ltrb[1], ltrb[2], ltrb[3]);
	return error;
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	const void* data;
	ssize_t numBytes;
	status_t error = FindData(name, B_REF_TYPE, index, &data, &numBytes);
	if (error != B_OK)
		return error;
	if (numBytes < 2 || ((const char*)data)[numBytes - 1] != '\0')
		return B_BAD_DATA;
	return ref->set_path((const char*)data);
}

status_t BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	const void* data;
	ssize_t numBytes;
	status_t error = FindData(name, B_MESSAGE_TYPE, index, &data, &numBytes);
	if (error != B_OK)
		return error;
	return message->Unflatten((const char*)data, numBytes);
}

status_t BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	status_t error;
	const field* f = _FindField(name, B_ANY_TYPE, &error);
	if (countFound != nullptr)
		*countFound = f != nullptr ? (int32)f->items.size() : 0;
	if (f != nullptr && typeFound != nullptr)
		*typeFound = f->type;
	return error;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, const char** nameFound,
	type_code* typeFound, int32* countFound) const
{
	int32 counter = -1;
	for (const field& f : fFields) {
		if (typeRequested != B_ANY_TYPE && f.type != typeRequested)
			continue;
		if (++counter != index)
			continue;
		if (nameFound != nullptr)
			*nameFound = f.name.c_str();
		if (typeFound != nullptr)
			*typeFound = f.type;
		if (countFound != nullptr)
			*countFound = f.items.size();
		return B_OK;
	}
	return counter < 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

int32 BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const field& f : fFields) {
		if (type == B_ANY_TYPE || f.type == type)
			count++;
	}
	return count;
}

status_t BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

ssize_t BMessage::FlattenedSize() const
{
	size_t size = sizeof(message_header) + fFields.size() * sizeof(field_header);
	for (const field& f : fFields)
		size += f.name.size() + 1 + items_size(f.items, f.fixedSize);
	return size;
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == nullptr || size < FlattenedSize())
		return B_BAD_VALUE;

	message_header header;
	header.format = kMessageFormatHaiku;
	header.what = what;
	header.flags = kMessageFlagValid;
	header.target = -1;
	header.current_specifier = -1;
	header.message_area = -1;
	header.reply_port = -1;
	header.reply_target = -1;
	header.reply_team = -1;
	header.field_count = fFields.size();
	header.hash_table_size = kHashTableSize;
	for (int32& slot : header.hash_table)
		slot = -1;

	std::vector<field_header> fields(fFields.size());
	std::string data;
	for (size_t i = 0; i < fFields.size(); i++) {
		const field& f = fFields[i];
		field_header& fh = fields[i];
		fh.flags = kFieldFlagValid | (f.fixedSize ? kFieldFlagFixedSize : 0);
		fh.name_length = f.name.size() + 1;
		fh.type = f.type;
		fh.count = f.items.size();
		fh.data_size = items_size(f.items, f.fixedSize);
		fh.offset = data.size();
		fh.next_field = -1;

		// Each bucket chains its fields in the order they were added.
		int32* slot = &header.hash_table[hash_name(f.name.c_str()) % kHashTableSize];
		while (*slot >= 0)
			slot = &fields[*slot].next_field;
		*slot = i;

		data.append(f.name.c_str(), f.name.size() + 1);
		for (const std::string& item : f.items) {
			if (!f.fixedSize) {
				uint32 itemSize = item.size();
				data.append((const char*)&itemSize, sizeof(itemSize));
			}
			data.append(item);
		}
	}
	header.data_size = data.size();

	memcpy(buffer, &header, sizeof(header));
	buffer += sizeof(header);
	if (!fields.empty())
		memcpy(buffer, fields.data(), fields.size() * sizeof(field_header));
	buffer += fields.size() * sizeof(field_header);
	if (!data.empty())
		memcpy(buffer, data.data(), data.size());
	return B_OK;
}

status_t BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	fFields.clear();
	what = 0;
	if (flatBuffer == nullptr || size < (ssize_t)sizeof(message_header))
		return B_BAD_DATA;

	message_header header;
	memcpy(&header, flatBuffer, sizeof(header));
	if (header.format != kMessageFormatHaiku)
		return B_BAD_DATA;

	uint64 fieldsSize = (uint64)header.field_count * sizeof(field_header);
	uint64 total = sizeof(header) + fieldsSize + header.data_size;
	if (total > (uint64)size)
		return B_BAD_DATA;

	const char* fieldsStart = flatBuffer + sizeof(header);
	const char* data = fieldsStart + fieldsSize;
	std::vector<field> fieldsRead;
	std::set<std::string> names;
	for (uint32 i = 0; i < header.field_count; i++) {
		field_header fh;
		memcpy(&fh, fieldsStart + i * sizeof(field_header), sizeof(fh));
		uint64 end = (uint64)fh.offset + fh.name_length + fh.data_size;
		if (fh.name_length < 2 || end > header.data_size
			|| data[fh.offset + fh.name_length - 1] != '\0'
			|| strlen(data + fh.offset) != (size_t)fh.name_length - 1
			|| fh.count == 0 || fh.type == B_ANY_TYPE)
			return B_BAD_DATA;

		field f;
		f.name.assign(data + fh.offset, fh.name_length - 1);
		f.type = fh.type;
		f.fixedSize = (fh.flags & kFieldFlagFixedSize) != 0;
		const char* item = data + fh.offset + fh.name_length;
		const char* itemsEnd = item + fh.data_size;
		if (f.fixedSize) {
			// Items are never empty, so the count cannot outrun the bytes that hold them.
			if (fh.data_size % fh.count != 0 || fh.data_size < fh.count)
				return B_BAD_DATA;
			uint32 itemSize = fh.data_size / fh.count;
			for (uint32 n = 0; n < fh.count; n++, item += itemSize)
				f.items.emplace_back(item, itemSize);
		} else {
			// Items cannot be smaller than their size word, which bounds the count.
			if (fh.count > fh.data_size / sizeof(uint32))
				return B_BAD_DATA;
			for (uint32 n = 0; n < fh.count; n++) {
				uint32 itemSize;
				if (itemsEnd - item < (ptrdiff_t)sizeof(itemSize))
					return B_BAD_DATA;
				memcpy(&itemSize, item, sizeof(itemSize));
				item += sizeof(itemSize);
				if ((uint64)(itemsEnd - item) < itemSize)
					return B_BAD_DATA;
				f.items.emplace_back(item, itemSize);
				item += itemSize;
			}
			if (item != itemsEnd)
				return B_BAD_DATA;
		}
		if (!names.insert(f.name).second)
			return B_BAD_DATA;
		fieldsRead.push_back(std::move(f));
	}
	fFields = std::move(fieldsRead);
	what = header.what;
	return B_OK;
}
