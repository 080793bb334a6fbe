#include "db/error.h"

namespace vv::db {

const char* errorKindName(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::LockConflict: return "lock conflict";
    case ErrorKind::FileNotFound: return "file not found";
    case ErrorKind::ExclusiveConflict: return "exclusive-use conflict";
    case ErrorKind::CorruptFile: return "corrupt file";
    case ErrorKind::BadExpression: return "bad expression";
    case ErrorKind::WrongPassword: return "wrong password";
    case ErrorKind::FieldNotFound: return "field not found";
    case ErrorKind::Encoding: return "encoding";
    case ErrorKind::InvalidState: return "invalid state";
    case ErrorKind::InvalidArgument: return "invalid argument";
    case ErrorKind::Io: return "i/o";
    }
    return "error";
}

}  // namespace vv::db
