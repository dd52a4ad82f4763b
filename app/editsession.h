#pragma once

#include "core/model/commands.h"

#include <QUndoStack>

// One run of changes from one source (the keys typed into one field, the moves of one
// drag): its steps share a merge key, so they become one undo step, for as long as nothing
// else has come onto the stack or been undone in between.
class EditSession {
public:
    // The merge key for the next step of this run.
    int key(const QUndoStack* stack)
    {
        if (current == 0 || stack->index() != index || stack->index() == 0 || stack->command(index - 1) != top)
            current = NewMergeKey();
        return current;
    }
    // Call after pushing a step with key().
    void pushed(const QUndoStack* stack)
    {
        index = stack->index();
        top = index > 0 ? stack->command(index - 1) : nullptr;
    }
    // The next step starts a new run.
    void end() { current = 0; }

private:
    int current = 0;
    int index = -1;
    const QUndoCommand* top = nullptr;
};
