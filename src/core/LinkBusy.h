#pragma once

#include "SharedState.h"

// Marks the link busy while an action or exchange waits on the radio, so that no other exchange
// resets its buffer; what the user starts meanwhile is held and runs, in order, when the
// outermost one ends. A window closed meanwhile is closed then instead.
class LinkBusy {
public:
    explicit LinkBusy(SharedState& state) : state_(state) { ++state_.linkBusy; }
    ~LinkBusy() {
        if (--state_.linkBusy > 0)
            return;
        if (state_.closing) {
            state_.heldActions.clear();
            if (state_.closeWhenIdle)
                state_.closeWhenIdle();
            return;
        }
        while (!state_.linkBusy && !state_.heldActions.isEmpty())
            state_.heldActions.takeFirst().run();
    }
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;

    // Holds the action when the link is busy; true when it was held. One action is held per
    // key: a second click on the same field while the first waits adds nothing.
    static bool held(SharedState& state, const QString& key, std::function<void()> action) {
        if (!state.linkBusy)
            return false;
        for (const SharedState::HeldAction& waiting : state.heldActions)
            if (waiting.key == key)
                return true;
        state.heldActions.append({key, std::move(action)});
        return true;
    }

private:
    SharedState& state_;
};
