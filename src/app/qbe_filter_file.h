// Saved query-by-example filters: a text file of named filters, each for
// one table, kept so a user can call up a filter used before. A filter is
// either its conditions with their options, or an expression the user
// edited by hand (which then stands instead of the conditions).
//
// The file is UTF-8 text, one item a line, fields separated by tabs, a tab,
// line break or backslash inside a field written as \t, \n, \\:
//   VVQBE 1
//   filter<TAB>TABLE<TAB>description<TAB>case sensitive 0/1<TAB>parentheses 0/1
//   cond<TAB>FIELD<TAB>operator caption<TAB>value      (any number)
//   expr<TAB>expression                                (at most one)
//   end
#pragma once

#include <string>
#include <vector>

#include "app/qbe_filter.h"

namespace vv::app {

struct SavedQbeFilter {
    std::string table;        // upper case, without extension
    std::string description;  // as the user named it
    QbeOptions options;
    std::vector<QbeCondition> conditions;
    std::string expression;  // non-empty when edited by hand

    friend bool operator==(const SavedQbeFilter&, const SavedQbeFilter&) = default;
};

// The filters of `path`; a missing file holds none. Throws vv::db::Error
// (CorruptFile) with "Invalid filter file format" for a file that is not
// one, (Io) when it cannot be read.
std::vector<SavedQbeFilter> readQbeFilterFile(const std::string& path);

// Replaces the file's contents with `filters` (written beside it first and
// then renamed, so a failed write leaves the old file). Throws vv::db::Error (Io).
void writeQbeFilterFile(const std::string& path, const std::vector<SavedQbeFilter>& filters);

// The positions in `filters` of those for `table` (compared without regard to case).
std::vector<std::size_t> filtersForTable(const std::vector<SavedQbeFilter>& filters, const std::string& table);

}  // namespace vv::app
