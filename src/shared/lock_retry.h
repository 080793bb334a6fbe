// Starting an entry takes the table engine's record lock, which another user
// may hold. The entry start is then offered again until it goes through or
// the user gives up; this class makes that decision, the window only asks.
#pragma once

#include <functional>

namespace vv::db {
class Error;
}

namespace vv::shared {

// The question put to the user after a refused start.
inline constexpr const char* kLockRetryQuestion = "Cannot lock record...try again?";

class LockRetry {
public:
    using Step = std::function<void()>;                   // append or edit, then the initial values
    using Undo = std::function<void()>;                   // leaves the table browsing again
    using AskRetry = std::function<bool(const db::Error&)>;  // true: try the whole step again

    // Runs `step` until it goes through (true) or `askRetry` says no (false).
    // Any engine error inside the step counts as refused, not only a lock
    // conflict: a half-written new record must never be stored, so `undo`
    // runs first (its own errors are ignored: the table may already be
    // browsing). Errors that are not the engine's pass through untouched.
    static bool run(const Step& step, const Undo& undo, const AskRetry& askRetry);
};

}  // namespace vv::shared
