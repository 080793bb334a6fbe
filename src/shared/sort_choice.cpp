#include "shared/sort_choice.h"

namespace vv::shared {

std::string SortChoice::leadingField(std::string_view fieldList) {
    std::string_view head = fieldList.substr(0, 30);
    if (const auto semicolon = head.find(';'); semicolon != std::string_view::npos) head = head.substr(0, semicolon);
    return std::string(head);
}

std::optional<std::string> SortChoice::forColumn(const std::vector<db::Table::TagInfo>& tags,
                                                 std::string_view columnField) {
    if (columnField.empty()) return std::nullopt;
    for (const auto& tag : tags)
        if (leadingField(tag.fieldList) == columnField) return std::string(columnField);
    return std::nullopt;
}

SortMark::Change SortMark::markColumn(int column) {
    Change change;
    if (marked_ != column) change.cleared = marked_;
    change.marked = column;
    marked_ = column;
    return change;
}

}  // namespace vv::shared
