// Errors of the table engine: one exception type with a small set of kinds,
// so callers can react to each (the lock-retry question is built on
// LockConflict) while the message always names the table or file involved.
#pragma once

#include <stdexcept>
#include <string>

namespace vv::db {

enum class ErrorKind {
    LockConflict,       // a record or table lock is held by another user
    FileNotFound,       // table, memo or index file missing
    ExclusiveConflict,  // exclusive open refused, or shared open while someone is exclusive
    CorruptFile,        // a file whose bytes contradict the format
    BadExpression,      // syntax or type error in an xBase expression
    WrongPassword,      // encrypted table opened with the wrong password / no password
    FieldNotFound,      // no field of that name
    Encoding,           // text the table's code page cannot hold
    InvalidState,       // operation not allowed in the current state (e.g. post while browsing)
    InvalidArgument,    // bad value handed to the engine (date text, field width...)
    Io,                 // the operating system refused a read, write or lock
};

const char* errorKindName(ErrorKind kind);

class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const noexcept { return kind_; }

private:
    ErrorKind kind_;
};

// Error of kind BadExpression that also records where (0-based byte offset
// into the expression text) the problem was found.
class ExpressionError : public Error {
public:
    ExpressionError(const std::string& message, std::size_t position)
        : Error(ErrorKind::BadExpression, message), position_(position) {}
    std::size_t position() const noexcept { return position_; }

private:
    std::size_t position_;
};

}  // namespace vv::db
