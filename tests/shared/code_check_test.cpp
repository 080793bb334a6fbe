#include "shared/code_check.h"

#include <gtest/gtest.h>

namespace vv::shared {
namespace {

using Outcome = CodeCheckResult::Outcome;

const CodeFieldTexts kTexts{QStringLiteral("Account Not Found!"), QStringLiteral("Invalid File Code")};

// A code table of two accounts.
std::optional<QString> findAccount(const std::string& code) {
    if (code == "ACME") return QStringLiteral("Acme Travel");
    if (code == "BOLT") return QStringLiteral("Bolt & Sons");
    return std::nullopt;
}

TEST(CodeCheckTest, OutcomeLabelAndErrorForEachKindOfValue) {
    struct Case {
        const char* value;
        bool rejectApplies;
        Outcome outcome;
        const char* label;
        const char* error;
    } cases[] = {
        {"ACME", true, Outcome::Found, "Acme Travel", ""},
        {"BOLT", false, Outcome::Found, "Bolt & Sons", ""},
        {"NOPE", true, Outcome::Rejected, "Account Not Found!", "Invalid File Code"},
        {"NOPE", false, Outcome::Ignored, "", ""},
        {"", true, Outcome::Empty, "", ""},
        {"    ", true, Outcome::Empty, "", ""},
    };
    for (const Case& c : cases) {
        int lookups = 0;
        const CodeCheckResult r = CodeCheck::run(
            c.value, [&](const std::string& code) { ++lookups; return findAccount(code); }, kTexts, c.rejectApplies);
        EXPECT_EQ(r.outcome, c.outcome) << c.value;
        EXPECT_EQ(r.label, QString::fromUtf8(c.label)) << c.value;
        EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.value;
        EXPECT_EQ(r.rejected(), c.outcome == Outcome::Rejected);
        EXPECT_EQ(lookups, c.outcome == Outcome::Empty ? 0 : 1) << "an empty code is never looked up";
    }
}

}  // namespace
}  // namespace vv::shared
