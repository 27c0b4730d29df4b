#ifndef TEVRA_LOOPER_PUMP_H
#define TEVRA_LOOPER_PUMP_H

#include <QObject>

class BLooper;

// The Qt object on whose behalf a looper's queued deliveries are posted; deleting it with
// its looper drops deliveries still pending.
class LooperPump : public QObject {
public:
	explicit LooperPump(BLooper* looper) : fLooper(looper) {}
	void schedule();

private:
	BLooper* fLooper;
};

#endif
