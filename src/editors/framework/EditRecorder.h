// EditRecorder: how the edit history hears of the changes pages make. Every
// change a page makes to its bound record goes through the page framework
// (EditorPage::changeRecord), which tells the recorder the record as it was
// before; the shell's history keeps it for undo and marks the document
// modified. Binding a page never reaches the recorder.
#pragma once

#include "document/WizardDocument.h"

namespace stepvane {

class EditRecorder {
public:
    // Which field of which page changed. Consecutive changes with the same
    // key (the keystrokes of one field and its commit) make one edit.
    struct Key {
        const void *page = nullptr;
        int field = 0;
        bool operator==(const Key &) const = default;
    };

    virtual ~EditRecorder() = default;

    // The user changed the step's record; before is the record as it was.
    virtual void recordChanged(TaskStep &step, TaskRecord before, Key key) = 0;
    // The user finished with a field (a commit, a click, a dialog closed):
    // the next change with this key starts a new edit.
    virtual void endEdit(Key key) = 0;
    // The change just told also switched the editor-wide distance unit, held
    // at unit, from before to its value now (a Meter/Foot click): undoing the
    // change puts the unit back too, redoing switches it again.
    virtual void distanceUnitSwitched(int &unit, int before)
    {
        (void)unit;
        (void)before;
    }
};

} // namespace stepvane
