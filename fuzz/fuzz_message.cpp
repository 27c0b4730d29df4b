// BMessage::Unflatten on arbitrary bytes: what it accepts must flatten, unflatten again to
// the same fields and values, and flatten to the same bytes; what it refuses leaves the
// message empty.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <Entry.h>
#include <Message.h>
#include <TypeConstants.h>

#include "fuzz/fuzz_app.h"

namespace {

std::vector<char> flatten(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	if (size < 68)
		fuzz_fail("a flattened message is shorter than its header");
	std::vector<char> flat(size);
	if (message.Flatten(flat.data(), flat.size()) != B_OK)
		fuzz_fail("an accepted message does not flatten");
	return flat;
}

// Every field of a, value by value, is in b, and b has no other.
void expect_same(const BMessage& a, const BMessage& b)
{
	if (a.what != b.what || a.CountNames(B_ANY_TYPE) != b.CountNames(B_ANY_TYPE))
		fuzz_fail("the message changed on its way through flattening");
	for (int32 i = 0; i < a.CountNames(B_ANY_TYPE); i++) {
		const char* name = nullptr;
		type_code type = 0, otherType = 0;
		int32 count = 0, otherCount = 0;
		if (a.GetInfo(B_ANY_TYPE, i, &name, &type, &count) != B_OK
			|| b.GetInfo(name, &otherType, &otherCount) != B_OK || type != otherType
			|| count != otherCount)
			fuzz_fail("a field changed on its way through flattening");
		for (int32 n = 0; n < count; n++) {
			const void* x = nullptr;
			const void* y = nullptr;
			ssize_t xSize = 0, ySize = 0;
			if (a.FindData(name, type, n, &x, &xSize) != B_OK
				|| b.FindData(name, type, n, &y, &ySize) != B_OK || xSize != ySize
				|| (xSize > 0 && memcmp(x, y, xSize) != 0))
				fuzz_fail("a value changed on its way through flattening");
		}
	}
}

// The typed readers over whatever the fields hold: none may read past a value.
void read_every_field(const BMessage& message)
{
	for (int32 i = 0; i < message.CountNames(B_ANY_TYPE); i++) {
		const char* name = nullptr;
		type_code type = 0;
		int32 count = 0;
		message.GetInfo(B_ANY_TYPE, i, &name, &type, &count);
		std::string kept = name;
		for (int32 n = 0; n < count; n++) {
			int8 i8;
			int16 i16;
			int32 i32;
			int64 i64;
			float f;
			bool b;
			const char* s;
			void* p;
			BPoint point;
			entry_ref ref;
			message.FindInt8(kept.c_str(), n, &i8);
			message.FindInt16(kept.c_str(), n, &i16);
			message.FindInt32(kept.c_str(), n, &i32);
			message.FindInt64(kept.c_str(), n, &i64);
			message.FindFloat(kept.c_str(), n, &f);
			message.FindBool(kept.c_str(), n, &b);
			if (message.FindString(kept.c_str(), n, &s) == B_OK)
				(void)strlen(s);
			message.FindPointer(kept.c_str(), n, &p);
			message.FindPoint(kept.c_str(), n, &point);
			message.FindRef(kept.c_str(), n, &ref);
		}
		BRect rect;
		double d;
		message.FindRect(kept.c_str(), &rect);
		message.FindDouble(kept.c_str(), &d);
		if (type == B_MESSAGE_TYPE) {
			BMessage inner;
			message.FindMessage(kept.c_str(), &inner);
		}
	}
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message('____');
	message.AddInt32("left over", 1);
	if (message.Unflatten((const char*)data, size) != B_OK) {
		if (message.what != 0 || !message.IsEmpty())
			fuzz_fail("a refused message is not left empty");
		return 0;
	}
	read_every_field(message);
	std::vector<char> flat = flatten(message);
	BMessage again;
	if (again.Unflatten(flat.data(), flat.size()) != B_OK)
		fuzz_fail("a message flattened here is refused");
	expect_same(message, again);
	expect_same(again, message);
	if (flatten(again) != flat)
		fuzz_fail("a message flattens differently once read back");
	return 0;
}
