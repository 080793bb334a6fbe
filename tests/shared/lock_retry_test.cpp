#include "shared/lock_retry.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "db/error.h"

namespace vv::shared {
namespace {

// A step that is refused `refusals` times, then goes through.
struct Attempts {
    int refusals = 0;
    int steps = 0, undos = 0, questions = 0;

    LockRetry::Step step() {
        return [this] {
            if (++steps <= refusals) throw db::Error(db::ErrorKind::LockConflict, "Record 3 of TRACES.DBF is locked");
        };
    }
    LockRetry::Undo undo() {
        return [this] { ++undos; };
    }
};

TEST(LockRetryTest, RetriesWhileTheUserSaysSoAndStopsWhenTheStepGoesThrough) {
    struct Case {
        int refusals;
        int yesAnswers;  // then No
        bool started;
        int steps;
    } cases[] = {
        {0, 0, true, 1},   // no conflict: no question
        {2, 5, true, 3},   // two refusals, retried twice
        {2, 1, false, 2},  // gives up on the second question
        {1, 0, false, 1},  // gives up at once
    };
    for (const Case& c : cases) {
        Attempts a;
        a.refusals = c.refusals;
        int answersLeft = c.yesAnswers;
        const bool started = LockRetry::run(a.step(), a.undo(), [&](const db::Error& e) {
            ++a.questions;
            EXPECT_EQ(e.kind(), db::ErrorKind::LockConflict);
            return answersLeft-- > 0;
        });
        EXPECT_EQ(started, c.started) << c.refusals << "/" << c.yesAnswers;
        EXPECT_EQ(a.steps, c.steps);
        EXPECT_EQ(a.questions, std::min(c.refusals, c.yesAnswers + 1));
        EXPECT_EQ(a.undos, a.questions) << "every refused step is undone before asking";
    }
}

TEST(LockRetryTest, AnyEngineErrorAsksButOtherErrorsPassThrough) {
    int questions = 0;
    EXPECT_FALSE(LockRetry::run([] { throw db::Error(db::ErrorKind::InvalidArgument, "bad date"); }, {},
                                [&](const db::Error&) { return ++questions > 5; }));
    EXPECT_EQ(questions, 1);

    EXPECT_THROW(LockRetry::run([] { throw std::logic_error("bug"); }, {}, [](const db::Error&) { return true; }),
                 std::logic_error);
}

TEST(LockRetryTest, AnUndoThatFailsDoesNotHideTheQuestion) {
    int questions = 0;
    EXPECT_FALSE(LockRetry::run([] { throw db::Error(db::ErrorKind::LockConflict, "locked"); },
                                [] { throw db::Error(db::ErrorKind::InvalidState, "nothing pending"); },
                                [&](const db::Error&) { return ++questions < 0; }));
    EXPECT_EQ(questions, 1);
}

}  // namespace
}  // namespace vv::shared
