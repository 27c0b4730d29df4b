#ifndef TEVRA_EDIT_HISTORY_H
#define TEVRA_EDIT_HISTORY_H

#include <string>
#include <vector>

#include <SupportDefs.h>

class BMessage;

// The states a design went through, as archives (see design_archive.h): undo and redo step
// between them. It also knows which state was last saved, so it can tell whether the design
// has unsaved changes, and stops saying so when undo returns to that state.
class edit_history {
public:
	edit_history();

	// The design as archived now is the only state, and counts as saved.
	void reset(const BMessage* archive);
	// The design after a change; false (and no step) when it equals the state before. A
	// change of a series (series >= 0, such as the nudges of one calendar) right after one of
	// the same series replaces that step, so undo takes the series back at once.
	bool record(const BMessage* archive, int32 series = -1);
	// The state to go back or forward to; false when there is none.
	bool undo(BMessage* state);
	bool redo(BMessage* state);
	// The state now is what the file holds.
	void mark_saved();
	bool changed() const;
	bool can_undo() const { return fCurrent > 0; }
	bool can_redo() const { return fCurrent + 1 < fStates.size(); }

	// How many steps back are kept at most.
	static const size_t kLimit = 200;

private:
	// Flattened archives: equal designs have equal bytes.
	std::vector<std::string> fStates;
	size_t fCurrent;
	// Index of the saved state in fStates; -1 when it is no longer there.
	ssize_t fSaved;
	// The series of the step recorded last; -1 when it may not be merged into.
	int32 fSeries;
};

#endif
