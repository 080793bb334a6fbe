// Text literals for xBase expressions built from what a user typed. The
// language knows three delimiters ('...', "..." and [...]) and no escape, so
// the literal takes a delimiter the text does not contain; a text holding
// all three closing characters becomes a bracketed concatenation of pieces,
// each in a delimiter its piece does not contain. Every text the user can
// type thus compares as typed, and nothing typed can change the expression.
#pragma once

#include <string>
#include <string_view>

namespace vv::shared {

// 'ABC' for ABC, "O'NEIL" for O'NEIL, ('A"B' + ["'] + ...) when needed.
std::string xbaseLiteral(std::string_view text);

}  // namespace vv::shared
