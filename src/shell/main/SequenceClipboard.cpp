// Sequence copy and paste.
#include "shell/main/SequenceClipboard.h"

#include "widgets/AppState.h"

namespace stepvane {

namespace {

// One step through the task clipboard: the clipboard takes a copy of the
// source, the new step a copy of the clipboard.
std::unique_ptr<TaskStep> copyThroughTaskClipboard(AppState &state, const TaskStep &source)
{
    state.TaskClipboard.emplace();
    state.TaskClipboard->copyFrom(source);
    auto step = std::make_unique<TaskStep>();
    step->copyFrom(*state.TaskClipboard);
    return step;
}

} // namespace

bool copySequenceToClipboard(AppState &state, const TestingSequence &sequence)
{
    if (sequence.stepCount() == 0)
        return false;
    auto copy = std::make_unique<TestingSequence>();
    copy->Title = sequence.Title;
    for (const auto &step : sequence.steps)
        copy->steps.push_back(copyThroughTaskClipboard(state, *step));
    state.SequenceClipboard = std::move(copy);
    return true;
}

std::unique_ptr<TestingSequence> sequenceFromClipboard(AppState &state)
{
    if (!state.SequenceClipboard || state.SequenceClipboard->stepCount() == 0)
        return nullptr;
    auto copy = std::make_unique<TestingSequence>();
    copy->Title = state.SequenceClipboard->Title;
    for (const auto &step : state.SequenceClipboard->steps)
        copy->steps.push_back(copyThroughTaskClipboard(state, *step));
    return copy;
}

} // namespace stepvane
