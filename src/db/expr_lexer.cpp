#include "db/expr_lexer.h"

#include <string>

#include "db/error.h"

namespace vv::db::expr {
namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string at(std::size_t position) { return " at position " + std::to_string(position); }

bool equalsUpper(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != upper[i]) return false;
    }
    return true;
}

}  // namespace

Token Lexer::make(Tok kind, std::size_t start, std::size_t length) {
    pos_ = start + length;
    Token t;
    t.kind = kind;
    t.position = start;
    t.spelling = text_.substr(start, length);
    return t;
}

Token Lexer::delimited(Tok kind, std::size_t start, char close, const char* what) {
    const std::size_t end = text_.find(close, start + 1);
    if (end == std::string_view::npos)
        throw ExpressionError(std::string("Unterminated ") + what + at(start), start);
    Token t = make(kind, start, end - start + 1);
    t.body = text_.substr(start + 1, end - start - 1);
    return t;
}

// .T. .F. .Y. .N. .AND. .OR. .NOT. (any case)
Token Lexer::dotted(std::size_t start) {
    std::size_t i = start + 1;
    while (i < text_.size() && isLetter(text_[i])) ++i;
    const std::string_view word = text_.substr(start + 1, i - start - 1);
    if (i < text_.size() && text_[i] == '.' && !word.empty()) {
        const std::size_t length = i - start + 1;
        if (equalsUpper(word, "T") || equalsUpper(word, "Y")) return make(Tok::True, start, length);
        if (equalsUpper(word, "F") || equalsUpper(word, "N")) return make(Tok::False, start, length);
        if (equalsUpper(word, "AND")) return make(Tok::And, start, length);
        if (equalsUpper(word, "OR")) return make(Tok::Or, start, length);
        if (equalsUpper(word, "NOT")) return make(Tok::Not, start, length);
        throw ExpressionError("Unknown operator \"" + std::string(text_.substr(start, length)) + "\"" + at(start),
                              start);
    }
    throw ExpressionError("Unexpected \".\"" + at(start), start);
}

Token Lexer::next() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n'))
        ++pos_;
    const std::size_t start = pos_;
    if (start >= text_.size()) return make(Tok::End, text_.size(), 0);
    const char c = text_[start];
    const char c2 = start + 1 < text_.size() ? text_[start + 1] : '\0';

    if (isLetter(c)) {
        std::size_t i = start + 1;
        while (i < text_.size() && (isLetter(text_[i]) || isDigit(text_[i]))) ++i;
        return make(Tok::Identifier, start, i - start);
    }
    if (isDigit(c) || (c == '.' && isDigit(c2))) {
        std::size_t i = start;
        while (i < text_.size() && isDigit(text_[i])) ++i;
        // "1.AND." is the number 1 followed by an operator.
        if (i + 1 < text_.size() && text_[i] == '.' && isDigit(text_[i + 1])) {
            ++i;
            while (i < text_.size() && isDigit(text_[i])) ++i;
        } else if (i + 1 == text_.size() && text_[i] == '.') {
            ++i;  // "12." at the very end
        }
        if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {  // 1e3, 2.5E-2
            std::size_t k = i + 1;
            if (k < text_.size() && (text_[k] == '+' || text_[k] == '-')) ++k;
            if (k < text_.size() && isDigit(text_[k])) {
                while (k < text_.size() && isDigit(text_[k])) ++k;
                i = k;
            }
        }
        return make(Tok::Number, start, i - start);
    }
    switch (c) {
    case '\'': return delimited(Tok::Text, start, '\'', "text literal");
    case '"': return delimited(Tok::Text, start, '"', "text literal");
    case '[': return delimited(Tok::Text, start, ']', "text literal");
    case '{': return delimited(Tok::DateLiteral, start, '}', "date literal");
    case '.': return dotted(start);
    case '(': return make(Tok::LeftParen, start, 1);
    case ')': return make(Tok::RightParen, start, 1);
    case ',': return make(Tok::Comma, start, 1);
    case '+': return make(Tok::Plus, start, 1);
    case '-': return make(Tok::Minus, start, 1);
    case '*': return make(Tok::Star, start, 1);
    case '/': return make(Tok::Slash, start, 1);
    case '%': return make(Tok::Percent, start, 1);
    case '$': return make(Tok::Dollar, start, 1);
    case '#': return make(Tok::NotEqual, start, 1);
    case '=': return c2 == '=' ? make(Tok::ExactEqual, start, 2) : make(Tok::Equal, start, 1);
    case '!': return c2 == '=' ? make(Tok::NotEqual, start, 2) : make(Tok::Not, start, 1);
    case '<':
        if (c2 == '=') return make(Tok::LessEqual, start, 2);
        if (c2 == '>') return make(Tok::NotEqual, start, 2);
        return make(Tok::Less, start, 1);
    case '>': return c2 == '=' ? make(Tok::GreaterEqual, start, 2) : make(Tok::Greater, start, 1);
    default: break;
    }
    // Show the whole UTF-8 sequence of a non-ASCII character, a control byte by number.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
        throw ExpressionError("Unexpected control character " + std::to_string(byte) + at(start), start);
    std::size_t end = start + 1;
    while (byte >= 0xC0 && end < text_.size() && end - start < 4 &&
           (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80)
        ++end;
    throw ExpressionError("Unexpected character \"" + std::string(text_.substr(start, end - start)) + "\"" + at(start),
                          start);
}

}  // namespace vv::db::expr
