#pragma once

#include "ESQLiteException.h"

#include <string>

namespace fixture {

// The message of the ESQLiteException that action raises, or a text saying that it raised none.
template <class Action> std::string MessageOf(Action&& action) {
    try {
        action();
    } catch (const ESQLiteException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace fixture
