#include "shared/code_check.h"

namespace vv::shared {

CodeCheckResult CodeCheck::run(const std::string& value, const LookUp& lookUp, const CodeFieldTexts& texts,
                               bool rejectApplies) {
    CodeCheckResult result;
    if (value.find_first_not_of(' ') == std::string::npos) return result;
    if (std::optional<QString> description = lookUp(value)) {
        result.outcome = CodeCheckResult::Outcome::Found;
        result.label = *description;
        return result;
    }
    if (!rejectApplies) {
        result.outcome = CodeCheckResult::Outcome::Ignored;
        return result;
    }
    result.outcome = CodeCheckResult::Outcome::Rejected;
    result.label = texts.notFound;
    result.error = texts.rejection;
    return result;
}

}  // namespace vv::shared
