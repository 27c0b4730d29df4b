#ifndef TEVRA_LOOPER_PUMP_H
#define TEVRA_LOOPER_PUMP_H

#include <QObject>

#include <Looper.h>

// The Qt object on whose behalf a looper's queued deliveries are posted; deleting it with
// its looper drops deliveries still pending.
class BLooper::Pump : public QObject {
public:
	explicit Pump(BLooper* looper) : fLooper(looper) {}
	void schedule();

private:
	BLooper* fLooper;
};

#endif
