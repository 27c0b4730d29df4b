#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <Entry.h>
#include <Message.h>

namespace {

std::string flatten(const BMessage& message)
{
	std::string flat(message.FlattenedSize(), '\0');
	EXPECT_EQ(message.Flatten(&flat[0], flat.size()), B_OK);
	return flat;
}

uint32 read32(const std::string& bytes, size_t at)
{
	uint32 value;
	memcpy(&value, bytes.data() + at, sizeof(value));
	return value;
}

uint16 read16(const std::string& bytes, size_t at)
{
	uint16 value;
	memcpy(&value, bytes.data() + at, sizeof(value));
	return value;
}

void write32(std::string* bytes, size_t at, uint32 value)
{
	memcpy(&(*bytes)[at], &value, sizeof(value));
}

void write16(std::string* bytes, size_t at, uint16 value)
{
	memcpy(&(*bytes)[at], &value, sizeof(value));
}

// --- Round trip: every value of every type comes back, in order, under its name.

int probe_target;

BMessage every_type()
{
	BMessage nested('nest');
	nested.AddString("inner", "deep");
	nested.AddInt32("inner_count", 3);
	BMessage second('nst2');

	BMessage m('RTRP');
	m.AddInt8("int8", -128);
	m.AddInt8("int8", 127);
	m.AddInt16("int16", -32768);
	m.AddInt16("int16", 12345);
	m.AddInt32("int32", INT32_MIN);
	m.AddInt32("int32", 0x7ffffffe);
	m.AddInt32("int32", 0);
	m.AddInt64("int64", INT64_MIN);
	m.AddInt64("int64", 0x0123456789abcdefLL);
	m.AddFloat("float", -1.5f);
	m.AddFloat("float", 3.25e7f);
	m.AddDouble("double", 2.718281828459045);
	m.AddDouble("double", -1e300);
	m.AddBool("bool", true);
	m.AddBool("bool", false);
	m.AddString("string", "");
	m.AddString("string", "平成二十八年");
	m.AddString("string", "tab\tline\n");
	m.AddPointer("pointer", &probe_target);
	m.AddPointer("pointer", nullptr);
	m.AddPoint("point", BPoint(-3.5f, 1e6f));
	m.AddPoint("point", BPoint(0, 0));
	m.AddRect("rect", BRect(1.5f, 2, 1919, 1079));
	m.AddRect("rect", BRect());
	entry_ref first("/boot/home/Desktop/picture.png");
	entry_ref other("/tmp/二.png");
	m.AddRef("ref", &first);
	m.AddRef("ref", &other);
	m.AddMessage("message", &nested);
	m.AddMessage("message", &second);
	return m;
}

struct round_trip_row {
	const char* name;
	type_code type;
	int32 count;
	// Checks every value of the field in the message read back.
	std::function<void(const BMessage&)> check;
};

const round_trip_row round_trip_rows[] = {
	{"int8", B_INT8_TYPE, 2, [](const BMessage& m) {
		int8 v;
		ASSERT_EQ(m.FindInt8("int8", 0, &v), B_OK);
		EXPECT_EQ(v, -128);
		ASSERT_EQ(m.FindInt8("int8", 1, &v), B_OK);
		EXPECT_EQ(v, 127);
	}},
	{"int16", B_INT16_TYPE, 2, [](const BMessage& m) {
		int16 v;
		ASSERT_EQ(m.FindInt16("int16", 0, &v), B_OK);
		EXPECT_EQ(v, -32768);
		ASSERT_EQ(m.FindInt16("int16", 1, &v), B_OK);
		EXPECT_EQ(v, 12345);
	}},
	{"int32", B_INT32_TYPE, 3, [](const BMessage& m) {
		int32 v;
		ASSERT_EQ(m.FindInt32("int32", 0, &v), B_OK);
		EXPECT_EQ(v, INT32_MIN);
		ASSERT_EQ(m.FindInt32("int32", 1, &v), B_OK);
		EXPECT_EQ(v, 0x7ffffffe);
		ASSERT_EQ(m.FindInt32("int32", 2, &v), B_OK);
		EXPECT_EQ(v, 0);
	}},
	{"int64", B_INT64_TYPE, 2, [](const BMessage& m) {
		int64 v;
		ASSERT_EQ(m.FindInt64("int64", 0, &v), B_OK);
		EXPECT_EQ(v, INT64_MIN);
		ASSERT_EQ(m.FindInt64("int64", 1, &v), B_OK);
		EXPECT_EQ(v, 0x0123456789abcdefLL);
	}},
	{"float", B_FLOAT_TYPE, 2, [](const BMessage& m) {
		float v;
		ASSERT_EQ(m.FindFloat("float", 0, &v), B_OK);
		EXPECT_EQ(v, -1.5f);
		ASSERT_EQ(m.FindFloat("float", 1, &v), B_OK);
		EXPECT_EQ(v, 3.25e7f);
	}},
	{"double", B_DOUBLE_TYPE, 2, [](const BMessage& m) {
		double v;
		ASSERT_EQ(m.FindDouble("double", &v), B_OK);
		EXPECT_EQ(v, 2.718281828459045);
		const void* data;
		ssize_t size;
		ASSERT_EQ(m.FindData("double", B_DOUBLE_TYPE, 1, &data, &size), B_OK);
		ASSERT_EQ(size, (ssize_t)sizeof(double));
		memcpy(&v, data, sizeof(v));
		EXPECT_EQ(v, -1e300);
	}},
	{"bool", B_BOOL_TYPE, 2, [](const BMessage& m) {
		bool v;
		ASSERT_EQ(m.FindBool("bool", 0, &v), B_OK);
		EXPECT_TRUE(v);
		ASSERT_EQ(m.FindBool("bool", 1, &v), B_OK);
		EXPECT_FALSE(v);
	}},
	{"string", B_STRING_TYPE, 3, [](const BMessage& m) {
		const char* v;
		ASSERT_EQ(m.FindString("string", 0, &v), B_OK);
		EXPECT_STREQ(v, "");
		ASSERT_EQ(m.FindString("string", 1, &v), B_OK);
		EXPECT_STREQ(v, "平成二十八年");
		ASSERT_EQ(m.FindString("string", 2, &v), B_OK);
		EXPECT_STREQ(v, "tab\tline\n");
	}},
	{"pointer", B_POINTER_TYPE, 2, [](const BMessage& m) {
		void* v;
		ASSERT_EQ(m.FindPointer("pointer", 0, &v), B_OK);
		EXPECT_EQ(v, &probe_target);
		ASSERT_EQ(m.FindPointer("pointer", 1, &v), B_OK);
		EXPECT_EQ(v, nullptr);
	}},
	{"point", B_POINT_TYPE, 2, [](const BMessage& m) {
		BPoint v;
		ASSERT_EQ(m.FindPoint("point", 0, &v), B_OK);
		EXPECT_EQ(v, BPoint(-3.5f, 1e6f));
		ASSERT_EQ(m.FindPoint("point", 1, &v), B_OK);
		EXPECT_EQ(v, BPoint(0, 0));
	}},
	{"rect", B_RECT_TYPE, 2, [](const BMessage& m) {
		BRect v;
		ASSERT_EQ(m.FindRect("rect", &v), B_OK);
		EXPECT_EQ(v, BRect(1.5f, 2, 1919, 1079));
		const void* data;
		ssize_t size;
		ASSERT_EQ(m.FindData("rect", B_RECT_TYPE, 1, &data, &size), B_OK);
		ASSERT_EQ(size, 16);
		float ltrb[4];
		memcpy(ltrb, data, sizeof(ltrb));
		EXPECT_EQ(BRect(ltrb[0], ltrb[1], ltrb[2], ltrb[3]), BRect());
	}},
	{"ref", B_REF_TYPE, 2, [](const BMessage& m) {
		entry_ref v;
		ASSERT_EQ(m.FindRef("ref", 0, &v), B_OK);
		EXPECT_STREQ(v.Path(), "/boot/home/Desktop/picture.png");
		ASSERT_EQ(m.FindRef("ref", 1, &v), B_OK);
		EXPECT_STREQ(v.Path(), "/tmp/二.png");
	}},
	{"message", B_MESSAGE_TYPE, 2, [](const BMessage& m) {
		BMessage v;
		ASSERT_EQ(m.FindMessage("message", &v), B_OK);
		EXPECT_EQ(v.what, (uint32)'nest');
		const char* inner;
		ASSERT_EQ(v.FindString("inner", &inner), B_OK);
		EXPECT_STREQ(inner, "deep");
		int32 count;
		ASSERT_EQ(v.FindInt32("inner_count", &count), B_OK);
		EXPECT_EQ(count, 3);
		const void* data;
		ssize_t size;
		ASSERT_EQ(m.FindData("message", B_MESSAGE_TYPE, 1, &data, &size), B_OK);
		ASSERT_EQ(v.Unflatten((const char*)data, size), B_OK);
		EXPECT_EQ(v.what, (uint32)'nst2');
		EXPECT_TRUE(v.IsEmpty());
	}},
};

class MessageRoundTrip : public ::testing::TestWithParam<round_trip_row> {};

TEST_P(MessageRoundTrip, KeepsEveryValueInOrder)
{
	const round_trip_row& row = GetParam();
	std::string flat = flatten(every_type());
	BMessage back;
	ASSERT_EQ(back.Unflatten(flat.data(), flat.size()), B_OK);
	type_code type;
	int32 count;
	ASSERT_EQ(back.GetInfo(row.name, &type, &count), B_OK);
	EXPECT_EQ(type, row.type);
	EXPECT_EQ(count, row.count);
	row.check(back);
}

INSTANTIATE_TEST_SUITE_P(Types, MessageRoundTrip, ::testing::ValuesIn(round_trip_rows),
	[](const ::testing::TestParamInfo<round_trip_row>& info) {
		return std::string(info.param.name);
	});

TEST(MessageRoundTripWhole, KeepsWhatAndFieldOrder)
{
	BMessage original = every_type();
	std::string flat = flatten(original);
	BMessage back;
	ASSERT_EQ(back.Unflatten(flat.data(), flat.size()), B_OK);
	EXPECT_EQ(back.what, (uint32)'RTRP');
	ASSERT_EQ(back.CountNames(B_ANY_TYPE), original.CountNames(B_ANY_TYPE));
	for (int32 i = 0; i < original.CountNames(B_ANY_TYPE); i++) {
		const char* want;
		const char* got;
		ASSERT_EQ(original.GetInfo(B_ANY_TYPE, i, &want, nullptr), B_OK);
		ASSERT_EQ(back.GetInfo(B_ANY_TYPE, i, &got, nullptr), B_OK);
		EXPECT_STREQ(got, want) << "field " << i;
	}
	// Flattening what was read gives the very same bytes.
	EXPECT_EQ(flatten(back), flat);
}

TEST(MessageRoundTripWhole, EmptyMessageKeepsItsWhat)
{
	BMessage original('empt');
	std::string flat = flatten(original);
	EXPECT_EQ(flat.size(), 68u);
	BMessage back('othr');
	back.AddInt32("stale", 1);
	ASSERT_EQ(back.Unflatten(flat.data(), flat.size()), B_OK);
	EXPECT_EQ(back.what, (uint32)'empt');
	EXPECT_TRUE(back.IsEmpty());
}

// --- The flattened layout, byte for byte, as Haiku writes and reads it.

// 'abcd' with "a" int32 7, "bc" string "xy" and "z" bool true. Haiku's name hash puts "a" and
// "z" in slot 4 and "bc" in slot 0 of the five-slot table.
BMessage known_message()
{
	BMessage m('abcd');
	m.AddInt32("a", 7);
	m.AddString("bc", "xy");
	m.AddBool("z", true);
	return m;
}

const size_t kHeader = 68;
const size_t kFieldHeader = 24;
const size_t kKnownData = 19;

TEST(MessageLayout, HeaderAsHaikuWritesIt)
{
	std::string flat = flatten(known_message());
	ASSERT_EQ(flat.size(), kHeader + 3 * kFieldHeader + kKnownData);
	EXPECT_EQ(flat.substr(0, 4), "HMF1");
	EXPECT_EQ(read32(flat, 4), (uint32)'abcd') << "what";
	EXPECT_EQ(read32(flat, 8), 1u) << "flags: valid";
	for (size_t at = 12; at <= 32; at += 4)
		EXPECT_EQ((int32)read32(flat, at), -1) << "target, specifier, area, reply at " << at;
	EXPECT_EQ(read32(flat, 36), kKnownData) << "data size";
	EXPECT_EQ(read32(flat, 40), 3u) << "field count";
	EXPECT_EQ(read32(flat, 44), 5u) << "hash table size";
}

TEST(MessageLayout, HashTableChainsFieldsOfOneSlot)
{
	std::string flat = flatten(known_message());
	const int32 want[5] = {1, -1, -1, -1, 0};
	for (int slot = 0; slot < 5; slot++)
		EXPECT_EQ((int32)read32(flat, 48 + slot * 4), want[slot]) << "slot " << slot;
	// "a" (field 0) leads slot 4 and chains to "z" (field 2), which ends it.
	EXPECT_EQ((int32)read32(flat, kHeader + 0 * kFieldHeader + 20), 2);
	EXPECT_EQ((int32)read32(flat, kHeader + 1 * kFieldHeader + 20), -1);
	EXPECT_EQ((int32)read32(flat, kHeader + 2 * kFieldHeader + 20), -1);
}

struct field_header_row {
	const char* name;
	uint16 flags, name_length;
	type_code type;
	uint32 count, data_size, offset;
};

class MessageFieldHeader : public ::testing::TestWithParam<std::pair<int, field_header_row>> {};

TEST_P(MessageFieldHeader, Matches)
{
	const int index = GetParam().first;
	const field_header_row& want = GetParam().second;
	std::string flat = flatten(known_message());
	size_t at = kHeader + index * kFieldHeader;
	EXPECT_EQ(read16(flat, at), want.flags);
	EXPECT_EQ(read16(flat, at + 2), want.name_length);
	EXPECT_EQ(read32(flat, at + 4), want.type);
	EXPECT_EQ(read32(flat, at + 8), want.count);
	EXPECT_EQ(read32(flat, at + 12), want.data_size);
	EXPECT_EQ(read32(flat, at + 16), want.offset);
}

// Flags: 1 valid, 2 fixed size. A variable-size item carries its own 4-byte size.
INSTANTIATE_TEST_SUITE_P(KnownMessage, MessageFieldHeader, ::testing::Values(
		std::make_pair(0, field_header_row{"a_int32", 3, 2, B_INT32_TYPE, 1, 4, 0}),
		std::make_pair(1, field_header_row{"bc_string", 1, 3, B_STRING_TYPE, 1, 7, 6}),
		std::make_pair(2, field_header_row{"z_bool", 3, 2, B_BOOL_TYPE, 1, 1, 16})),
	[](const ::testing::TestParamInfo<std::pair<int, field_header_row>>& info) {
		return std::string(info.param.second.name);
	});

TEST(MessageLayout, DataAreaHoldsNamesThenItems)
{
	std::string flat = flatten(known_message());
	const char want[] = "a\0\x07\0\0\0" "bc\0\x03\0\0\0xy\0" "z\0\x01";
	EXPECT_EQ(flat.substr(kHeader + 3 * kFieldHeader), std::string(want, sizeof(want) - 1));
}

TEST(MessageLayout, SeveralValuesOfOneNameShareOneField)
{
	BMessage m('mult');
	m.AddInt16("n", 1);
	m.AddInt16("n", 2);
	m.AddString("s", "p");
	m.AddString("s", "qr");
	std::string flat = flatten(m);
	EXPECT_EQ(read32(flat, 40), 2u);
	EXPECT_EQ(read32(flat, kHeader + 8), 2u);
	EXPECT_EQ(read32(flat, kHeader + 12), 4u);
	EXPECT_EQ(read32(flat, kHeader + kFieldHeader + 8), 2u);
	EXPECT_EQ(read32(flat, kHeader + kFieldHeader + 12), 4u + 2 + 4 + 3);
	const char want[] = "n\0\x01\0\x02\0" "s\0\x02\0\0\0p\0\x03\0\0\0qr\0";
	EXPECT_EQ(flat.substr(kHeader + 2 * kFieldHeader), std::string(want, sizeof(want) - 1));
}

// --- Unflatten refuses what does not fit, and leaves the message empty.

void expect_refused(const std::string& bytes)
{
	BMessage m('prev');
	m.AddInt32("stale", 1);
	EXPECT_NE(m.Unflatten(bytes.data(), bytes.size()), B_OK);
	EXPECT_TRUE(m.IsEmpty());
	EXPECT_EQ(m.what, 0u);
}

TEST(MessageUnflatten, RefusesEveryTruncation)
{
	std::string flat = flatten(known_message());
	for (size_t length = 0; length < flat.size(); length++) {
		SCOPED_TRACE(length);
		expect_refused(flat.substr(0, length));
	}
}

TEST(MessageUnflatten, RefusesNull)
{
	BMessage m;
	EXPECT_NE(m.Unflatten(nullptr, 100), B_OK);
}

struct corruption_row {
	const char* name;
	std::function<void(std::string*)> corrupt;
};

const size_t kField0 = kHeader;
const size_t kField1 = kHeader + kFieldHeader;
const size_t kData = kHeader + 3 * kFieldHeader;

const corruption_row corruption_rows[] = {
	{"wrong_magic", [](std::string* b) { (*b)[0] = 'X'; }},
	// What a big-endian machine writes, which this one would misread.
	{"byte_swapped_magic", [](std::string* b) { b->replace(0, 4, "1FMH"); }},
	{"field_count_one_more", [](std::string* b) { write32(b, 40, 4); }},
	{"field_count_huge", [](std::string* b) { write32(b, 40, 0xffffffff); }},
	{"field_count_overflowing", [](std::string* b) { write32(b, 40, 0x0aaaaaab); }},
	{"data_size_one_more", [](std::string* b) { write32(b, 36, kKnownData + 1); }},
	{"data_size_huge", [](std::string* b) { write32(b, 36, 0xfffffff0); }},
	{"offset_past_data", [](std::string* b) { write32(b, kField1 + 16, kKnownData); }},
	{"offset_huge", [](std::string* b) { write32(b, kField1 + 16, 0xfffffffc); }},
	{"name_length_zero", [](std::string* b) { write16(b, kField0 + 2, 0); }},
	{"name_length_only_nul", [](std::string* b) { write16(b, kField0 + 2, 1); }},
	{"name_length_past_data", [](std::string* b) { write16(b, kField1 + 2, 0xffff); }},
	{"name_unterminated", [](std::string* b) { (*b)[kData + 1] = 'x'; }},
	{"name_nul_inside", [](std::string* b) { (*b)[kData + 6] = '\0'; }},
	{"count_zero", [](std::string* b) { write32(b, kField0 + 8, 0); }},
	{"fixed_count_not_dividing", [](std::string* b) { write32(b, kField0 + 8, 3); }},
	{"fixed_count_huge_over_empty_data", [](std::string* b) {
		// "z" holds zero bytes of items but claims four billion of them.
		write32(b, kHeader + 2 * kFieldHeader + 12, 0);
		write32(b, kHeader + 2 * kFieldHeader + 8, 0xffffffff);
	}},
	{"field_data_size_past_data", [](std::string* b) { write32(b, kField0 + 12, 0x7fffffff); }},
	{"string_count_two", [](std::string* b) { write32(b, kField1 + 8, 2); }},
	{"string_count_huge", [](std::string* b) { write32(b, kField1 + 8, 0xffffffff); }},
	{"string_item_size_past_field", [](std::string* b) { write32(b, kData + 9, 4); }},
	{"string_item_size_huge", [](std::string* b) { write32(b, kData + 9, 0xffffffff); }},
	{"string_item_size_short", [](std::string* b) { write32(b, kData + 9, 2); }},
	{"same_name_twice", [](std::string* b) { (*b)[kData + 16] = 'a'; }},
};

class MessageCorrupted : public ::testing::TestWithParam<corruption_row> {};

TEST_P(MessageCorrupted, IsRefused)
{
	std::string flat = flatten(known_message());
	GetParam().corrupt(&flat);
	expect_refused(flat);
}

INSTANTIATE_TEST_SUITE_P(KnownMessage, MessageCorrupted, ::testing::ValuesIn(corruption_rows),
	[](const ::testing::TestParamInfo<corruption_row>& info) {
		return std::string(info.param.name);
	});

TEST(MessageUnflatten, StringWithoutNulIsReadButNotFound)
{
	std::string flat = flatten(known_message());
	flat[kData + 15] = 'z';
	BMessage m;
	ASSERT_EQ(m.Unflatten(flat.data(), flat.size()), B_OK);
	const char* string = nullptr;
	EXPECT_NE(m.FindString("bc", &string), B_OK);
	EXPECT_EQ(string, nullptr);
	// The other fields are still there.
	int32 a;
	ASSERT_EQ(m.FindInt32("a", &a), B_OK);
	EXPECT_EQ(a, 7);
}

TEST(MessageUnflatten, RefWithoutNulIsNotFound)
{
	BMessage m;
	entry_ref ref("/tmp/x");
	m.AddRef("r", &ref);
	std::string flat = flatten(m);
	flat.back() = 'y';
	BMessage back;
	ASSERT_EQ(back.Unflatten(flat.data(), flat.size()), B_OK);
	entry_ref found;
	EXPECT_NE(back.FindRef("r", &found), B_OK);
}

TEST(MessageUnflatten, FixedValueOfWrongSizeIsNotFound)
{
	// An int32 field whose items are two bytes each reads, but gives no int32.
	BMessage m;
	m.AddData("n", B_INT32_TYPE, "\x01\x02\x03\x04", 4);
	std::string flat = flatten(m);
	write32(&flat, kHeader + 8, 2);
	BMessage back;
	ASSERT_EQ(back.Unflatten(flat.data(), flat.size()), B_OK);
	int32 value;
	EXPECT_NE(back.FindInt32("n", &value), B_OK);
}

// Random damage to a rich message never crashes; what is accepted is itself consistent.
TEST(MessageUnflatten, SurvivesRandomCorruption)
{
	std::string flat = flatten(every_type());
	std::mt19937 random(20160101);
	int accepted = 0;
	for (int round = 0; round < 400; round++) {
		std::string damaged = flat;
		int flips = 1 + random() % 8;
		for (int i = 0; i < flips; i++) {
			size_t at = random() % damaged.size();
			// Headers are where damage is most dangerous; hit them half the time.
			if (random() % 2 == 0)
				at = random() % std::min<size_t>(damaged.size(), kHeader + 14 * kFieldHeader);
			damaged[at] = (char)random();
		}
		if (random() % 4 == 0)
			damaged.resize(random() % damaged.size());
		// An exact-size copy, so a read past the end leaves the buffer.
		std::vector<char> buffer(damaged.begin(), damaged.end());
		BMessage m;
		if (m.Unflatten(buffer.data(), buffer.size()) != B_OK) {
			EXPECT_TRUE(m.IsEmpty());
			continue;
		}
		accepted++;
		std::string again = flatten(m);
		BMessage reread;
		EXPECT_EQ(reread.Unflatten(again.data(), again.size()), B_OK) << "round " << round;
		const char* s;
		for (int32 i = 0; i < 3; i++)
			m.FindString("string", i, &s);
		BMessage nested;
		m.FindMessage("message", &nested);
		entry_ref ref;
		m.FindRef("ref", &ref);
	}
	// Damage to item bytes alone is accepted; the loop did reach the readers.
	EXPECT_GT(accepted, 0);
}

// --- Adding: the rules that keep a field one type of one size.

TEST(MessageAdd, RefusesAnotherTypeUnderAName)
{
	BMessage m;
	ASSERT_EQ(m.AddInt32("n", 1), B_OK);
	EXPECT_EQ(m.AddString("n", "x"), B_BAD_TYPE);
	int32 count;
	type_code type;
	ASSERT_EQ(m.GetInfo("n", &type, &count), B_OK);
	EXPECT_EQ(count, 1);
}

TEST(MessageAdd, RefusesEmptyData)
{
	BMessage m;
	EXPECT_NE(m.AddData("n", B_RAW_TYPE, "", 0), B_OK);
	EXPECT_TRUE(m.IsEmpty());
}

TEST(MessageFind, ReportsMissingNameWrongTypeAndIndex)
{
	BMessage m = known_message();
	int32 v;
	EXPECT_EQ(m.FindInt32("missing", &v), B_NAME_NOT_FOUND);
	EXPECT_EQ(m.FindInt32("bc", &v), B_BAD_TYPE);
	EXPECT_EQ(m.FindInt32("a", 1, &v), B_BAD_INDEX);
}

}
