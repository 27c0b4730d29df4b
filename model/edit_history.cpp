#include "model/edit_history.h"

#include <Message.h>

namespace {

std::string flattened(const BMessage* message)
{
	std::string bytes(message->FlattenedSize(), '\0');
	message->Flatten(&bytes[0], bytes.size());
	return bytes;
}

}

edit_history::edit_history()
	: fCurrent(0), fSaved(-1), fSeries(-1)
{
}

void edit_history::reset(const BMessage* archive)
{
	fStates.assign(1, flattened(archive));
	fCurrent = 0;
	fSaved = 0;
	fSeries = -1;
}

bool edit_history::record(const BMessage* archive, int32 series)
{
	std::string state = flattened(archive);
	if (!fStates.empty() && fStates[fCurrent] == state)
		return false;
	// The saved state stays as it was; a series that comes back to where it began is no step.
	bool merge = series >= 0 && series == fSeries && fCurrent > 0
		&& fCurrent + 1 == fStates.size() && fSaved != (ssize_t)fCurrent;
	fSeries = series;
	if (merge) {
		fStates[fCurrent] = state;
		if (fStates[fCurrent - 1] == state) {
			fStates.pop_back();
			fCurrent--;
			fSeries = -1;
		}
		return true;
	}
	// A change after undo starts a new branch: the steps that were undone are gone.
	if (!fStates.empty())
		fStates.resize(fCurrent + 1);
	if (fSaved >= (ssize_t)fStates.size())
		fSaved = -1;
	fStates.push_back(state);
	if (fStates.size() > kLimit + 1) {
		fStates.erase(fStates.begin());
		if (fSaved >= 0)
			fSaved--;
	}
	fCurrent = fStates.size() - 1;
	return true;
}

bool edit_history::undo(BMessage* state)
{
	if (!can_undo())
		return false;
	fSeries = -1;
	fCurrent--;
	return state->Unflatten(fStates[fCurrent].data(), fStates[fCurrent].size()) == B_OK;
}

bool edit_history::redo(BMessage* state)
{
	if (!can_redo())
		return false;
	fSeries = -1;
	fCurrent++;
	return state->Unflatten(fStates[fCurrent].data(), fStates[fCurrent].size()) == B_OK;
}

void edit_history::mark_saved()
{
	fSaved = fCurrent;
	fSeries = -1;
}

bool edit_history::changed() const
{
	return fSaved != (ssize_t)fCurrent;
}
