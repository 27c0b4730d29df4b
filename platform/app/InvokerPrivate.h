#ifndef _INVOKER_PRIVATE_H
#define _INVOKER_PRIVATE_H

#include <Invoker.h>

// The layer's way into an invoker.
class BInvoker::Private {
public:
	// Whether any target was given.
	static bool HasTarget(const BInvoker* invoker);
};

#endif
