// Internal: splits expression text into tokens. Positions are 0-based byte
// offsets into the text, as ExpressionError reports them.
#pragma once

#include <cstddef>
#include <string_view>

namespace vv::db::expr {

enum class Tok {
    End, Identifier, Number, Text, DateLiteral, True, False, And, Or, Not,
    LeftParen, RightParen, Comma, Plus, Minus, Star, Slash, Percent, Dollar,
    Equal, ExactEqual, NotEqual, Less, LessEqual, Greater, GreaterEqual,
};

struct Token {
    Tok kind = Tok::End;
    std::size_t position = 0;
    std::string_view spelling;  // the token as written
    std::string_view body;      // inside the delimiters, for texts and dates
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}
    // Throws ExpressionError for unterminated literals and unknown characters.
    Token next();

private:
    Token make(Tok kind, std::size_t start, std::size_t length);
    Token delimited(Tok kind, std::size_t start, char close, const char* what);
    Token dotted(std::size_t start);

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace vv::db::expr
