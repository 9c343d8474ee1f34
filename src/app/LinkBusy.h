#pragma once

#include "SharedState.h"

// Marks the link busy while one exchange waits on the radio, so that no other exchange resets
// its buffer; what the user starts meanwhile is held and runs, in order, when it ends.
class LinkBusy {
public:
    explicit LinkBusy(SharedState& state) : state_(state) { state_.linkBusy = true; }
    ~LinkBusy() {
        state_.linkBusy = false;
        while (!state_.linkBusy && !state_.heldActions.isEmpty())
            state_.heldActions.takeFirst()();
    }
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;

    // Holds the action when the link is busy; true when it was held.
    static bool held(SharedState& state, std::function<void()> action) {
        if (!state.linkBusy)
            return false;
        state.heldActions.append(std::move(action));
        return true;
    }

private:
    SharedState& state_;
};
