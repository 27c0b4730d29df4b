#ifndef TEVRA_POSITION_IO_DEVICE_H
#define TEVRA_POSITION_IO_DEVICE_H

#include <QIODevice>

#include <DataIO.h>

// Lets Qt's image readers and writers work on any BPositionIO (a file, a memory buffer).
class PositionIODevice : public QIODevice {
public:
	explicit PositionIODevice(BPositionIO* io) : fIO(io) {}

	bool isSequential() const override { return false; }
	qint64 size() const override
	{
		off_t size = 0;
		return fIO->GetSize(&size) == B_OK ? size : 0;
	}

	// Write failures (a full disk) are remembered, since Qt's writers do not all report them.
	bool failed() const { return fFailed; }

protected:
	qint64 readData(char* data, qint64 maxSize) override
	{
		ssize_t done = fIO->ReadAt(pos(), data, maxSize);
		return done < 0 ? -1 : done;
	}
	qint64 writeData(const char* data, qint64 maxSize) override
	{
		ssize_t done = fIO->WriteAt(pos(), data, maxSize);
		if (done != maxSize)
			fFailed = true;
		return done < 0 ? -1 : done;
	}

private:
	BPositionIO* fIO;
	bool fFailed = false;
};

#endif
