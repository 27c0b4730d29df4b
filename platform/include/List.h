#ifndef _LIST_H
#define _LIST_H

#include <SupportDefs.h>

// An ordered list of untyped pointers; it owns nothing.
class BList {
public:
	BList(int32 blockSize = 20);
	BList(const BList& other);
	~BList();
	BList& operator=(const BList& other);

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	void MakeEmpty();

	void* ItemAt(int32 index) const;
	void* LastItem() const { return ItemAt(fCount - 1); }
	int32 IndexOf(void* item) const;
	int32 CountItems() const { return fCount; }
	bool IsEmpty() const { return fCount == 0; }

private:
	bool _Reserve(int32 count);

	void** fItems;
	int32 fCount;
	int32 fAllocated;
	int32 fBlockSize;
};

#endif
