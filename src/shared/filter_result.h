// What a window's filter dialog hands back to its record window, and how the
// window reads it: "Cancel" leaves everything as it is, an empty expression
// takes the filter off, anything else becomes the main table's filter. The
// filter text goes to the window's filter label, the heading lines to its
// report.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include <QString>

namespace vv::shared {

// The expression a filter dialog returns when the user cancelled it.
inline constexpr const char* kFilterCancelled = "Cancel";

struct FilterResult {
    std::string expression;            // xBase, "" for no filter, kFilterCancelled
    QString filterText;                // for the user: what the filter selects
    std::array<QString, 4> headerLines;  // the report's heading lines
};

enum class FilterAction {
    Keep,   // the user cancelled: filter and label stay
    Clear,  // show the text, take any filter off
    Apply,  // show the text, set the expression as the filter
};

FilterAction filterAction(std::string_view expression);

}  // namespace vv::shared
