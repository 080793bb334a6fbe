// Re-sorting a record window's grid by a click on a column title: the grid
// is ordered by the field of the clicked column when some index tag of the
// main table leads with that field; the order is then the tag's own. A
// column whose field leads no tag (a memo, say) changes nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/table.h"

namespace vv::shared {

class SortChoice {
public:
    // The first field of a tag's field list as the engine reports it
    // ("C_LAST;FILE_CODE" gives "C_LAST"), looked for within its first 30
    // characters.
    static std::string leadingField(std::string_view fieldList);

    // The field to order by after a click on the title of the column showing
    // `columnField`: that field when the leading field of some tag equals it
    // exactly (case counts), nullopt when none does.
    static std::optional<std::string> forColumn(const std::vector<db::Table::TagInfo>& tags,
                                                std::string_view columnField);
};

// Which column carries the grid's one sort mark.
class SortMark {
public:
    struct Change {
        int cleared = -1;  // the column whose mark goes, -1 for none
        int marked = -1;   // the column that now has it
    };
    // Moves the mark to `column`.
    Change markColumn(int column);
    int markedColumn() const { return marked_; }
    void clear() { marked_ = -1; }

private:
    int marked_ = -1;
};

}  // namespace vv::shared
