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
	: fCurrent(0), fSaved(-1)
{
}

void edit_history::reset(const BMessage* archive)
{
	fStates.assign(1, flattened(archive));
	fCurrent = 0;
	fSaved = 0;
}

bool edit_history::record(const BMessage* archive)
{
	std::string state = flattened(archive);
	if (!fStates.empty() && fStates[fCurrent] == state)
		return false;
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
	fCurrent--;
	return state->Unflatten(fStates[fCurrent].data(), fStates[fCurrent].size()) == B_OK;
}

bool edit_history::redo(BMessage* state)
{
	if (!can_redo())
		return false;
	fCurrent++;
	return state->Unflatten(fStates[fCurrent].data(), fStates[fCurrent].size()) == B_OK;
}

void edit_history::mark_saved()
{
	fSaved = fCurrent;
}

bool edit_history::changed() const
{
	return fSaved != (ssize_t)fCurrent;
}
