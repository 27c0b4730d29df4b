#ifndef _TRANSLATION_DEFS_H
#define _TRANSLATION_DEFS_H

#include <SupportDefs.h>

typedef unsigned long translator_id;

struct translation_format {
	uint32 type;
	uint32 group;
	float quality;
	float capability;
	char MIME[251];
	char name[251];
};

struct translator_info {
	uint32 type;
	translator_id translator;
	uint32 group;
	float quality;
	float capability;
	char name[251];
	char MIME[251];
};

#endif
