#include <List.h>

#include <cstdlib>
#include <cstring>

BList::BList(int32 blockSize)
	: fItems(nullptr), fCount(0), fAllocated(0), fBlockSize(blockSize > 0 ? blockSize : 1)
{
}

BList::BList(const BList& other)
	: fItems(nullptr), fCount(0), fAllocated(0), fBlockSize(other.fBlockSize)
{
	*this = other;
}

BList::~BList()
{
	free(fItems);
}

BList& BList::operator=(const BList& other)
{
	if (this != &other && _Reserve(other.fCount)) {
		if (other.fCount > 0)
			memcpy(fItems, other.fItems, other.fCount * sizeof(void*));
		fCount = other.fCount;
	}
	return *this;
}

bool BList::_Reserve(int32 count)
{
	if (count <= fAllocated)
		return true;
	int32 wanted = (count + fBlockSize - 1) / fBlockSize * fBlockSize;
	void** items = (void**)realloc(fItems, wanted * sizeof(void*));
	if (items == nullptr)
		return false;
	fItems = items;
	fAllocated = wanted;
	return true;
}

bool BList::AddItem(void* item)
{
	return AddItem(item, fCount);
}

bool BList::AddItem(void* item, int32 index)
{
	if (index < 0 || index > fCount || !_Reserve(fCount + 1))
		return false;
	memmove(fItems + index + 1, fItems + index, (fCount - index) * sizeof(void*));
	fItems[index] = item;
	fCount++;
	return true;
}

bool BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	RemoveItem(index);
	return true;
}

void* BList::RemoveItem(int32 index)
{
	if (index < 0 || index >= fCount)
		return nullptr;
	void* item = fItems[index];
	memmove(fItems + index, fItems + index + 1, (fCount - index - 1) * sizeof(void*));
	fCount--;
	return item;
}

void BList::MakeEmpty()
{
	fCount = 0;
}

void* BList::ItemAt(int32 index) const
{
	if (index < 0 || index >= fCount)
		return nullptr;
	return fItems[index];
}

int32 BList::IndexOf(void* item) const
{
	for (int32 i = 0; i < fCount; i++) {
		if (fItems[i] == item)
			return i;
	}
	return -1;
}
