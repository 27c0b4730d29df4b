#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <string>
#include <vector>

#include <AppDefs.h>
#include <Rect.h>
#include <TypeConstants.h>

struct entry_ref;

// A command code with named, typed fields; each name holds one or more values of one type.
// Flatten writes Haiku's own flattened format, so data stored here reads on Haiku and back.
class BMessage {
public:
	uint32 what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();
	BMessage& operator=(const BMessage& other);

	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddBool(const char* name, bool value);
	status_t AddString(const char* name, const char* string);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddRect(const char* name, BRect rect);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddMessage(const char* name, const BMessage* message);

	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, const void** data,
		ssize_t* numBytes) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;

	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = nullptr) const;
	status_t GetInfo(type_code typeRequested, int32 index, const char** nameFound,
		type_code* typeFound, int32* countFound = nullptr) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const { return fFields.empty(); }
	status_t MakeEmpty();

	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	// Refuses, with B_BAD_DATA and the message left empty, anything whose counts or offsets
	// do not fit inside the given size.
	status_t Unflatten(const char* flatBuffer, ssize_t size);

	// Whether the message came by drag and drop, and where it was let go, in screen
	// coordinates.
	bool WasDropped() const { return fDropped; }
	BPoint DropPoint(BPoint* offset = nullptr) const;

	// The layer's own way in, for its other classes and its tests.
	class Private;

private:
	friend class Private;

	struct field {
		std::string name;
		type_code type;
		bool fixedSize;
		std::vector<std::string> items;
	};

	const field* _FindField(const char* name, type_code type, status_t* error) const;
	status_t _FindFixed(const char* name, type_code type, int32 index, void* value,
		size_t size) const;

	std::vector<field> fFields;
	bool fDropped = false;
	BPoint fDropPoint;
};

class BMessage::Private {
public:
	static void SetDropped(BMessage* message, BPoint where)
	{
		message->fDropped = true;
		message->fDropPoint = where;
	}
};

#endif
