// Internal: recursive-descent parser from expression text to a typed,
// constant-folded node tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/expr_node.h"

namespace vv::db::expr {

struct Parsed {
    NodePtr root;
    std::vector<std::string> fieldNames;  // upper case, in order of first appearance
};

// Throws ExpressionError with a 0-based position for every problem it finds.
Parsed parse(std::string_view text, const FieldList& fields, const CodePage& codePage);

}  // namespace vv::db::expr
