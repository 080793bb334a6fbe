// The exit check of a code field: the code typed into the record is looked up
// in its code table; a known code shows its description, an unknown one is
// taken back. This class decides what happens; the code field widget does it
// (label text, beep, clearing, focus, the raised error).
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include <QString>

namespace vv::shared {

// The raised rejection of an unknown code ("Invalid File Code"). It is shown
// to the user like any other error of a handler.
class CodeRejected : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The texts of one code field.
struct CodeFieldTexts {
    QString notFound;   // into the description label: "Account Not Found!"
    QString rejection;  // the raised error: "Invalid File Code"
};

struct CodeCheckResult {
    enum class Outcome {
        Empty,     // nothing typed: not looked up, OkToSave decides whether it is required
        Found,     // `label` holds the description
        Rejected,  // beep, clear the field, `label` holds the not-found text, focus back, raise `error`
        Ignored,   // not found, but the window does not reject codes in this state
    };
    Outcome outcome = Outcome::Empty;
    QString label;
    QString error;

    bool rejected() const { return outcome == Outcome::Rejected; }
};

class CodeCheck {
public:
    // Finds `code` by an exact key search in the code table; the description
    // (or a name built from the code record) when found, nullopt otherwise.
    // It may also copy fields from the code record into the main record.
    using LookUp = std::function<std::optional<QString>(const std::string& code)>;

    // `value` is the field's text as the record holds it; blanks alone are empty.
    // `rejectApplies` is false in the table states where the window lets an
    // unknown code stand.
    static CodeCheckResult run(const std::string& value, const LookUp& lookUp, const CodeFieldTexts& texts,
                               bool rejectApplies = true);
};

}  // namespace vv::shared
