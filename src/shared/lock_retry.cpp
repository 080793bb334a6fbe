#include "shared/lock_retry.h"

#include "db/error.h"

namespace vv::shared {

bool LockRetry::run(const Step& step, const Undo& undo, const AskRetry& askRetry) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const db::Error& error) {
            try {
                if (undo) undo();
            } catch (const db::Error&) {
                // Nothing pending to give up: the step failed before the table changed state.
            }
            if (!askRetry(error)) return false;
        }
    }
}

}  // namespace vv::shared
