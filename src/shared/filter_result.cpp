#include "shared/filter_result.h"

namespace vv::shared {

FilterAction filterAction(std::string_view expression) {
    if (expression.empty()) return FilterAction::Clear;
    if (expression == kFilterCancelled) return FilterAction::Keep;
    return FilterAction::Apply;
}

}  // namespace vv::shared
