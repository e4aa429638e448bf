#include "platform/FileOpResult.h"

#include <cerrno>

FileOpResult FileOpResult::FromErrno(int error)
{
    switch (error) {
    case 0:
        return Success();
    case ENOENT:
        return Make(FileOpCode::Gone, error);
    case EACCES:
    case EPERM:  // immutable or append-only file, sticky folder of another user
        return Make(FileOpCode::Permission, error);
    case ELOOP:
    case ENOTDIR:
        return Make(FileOpCode::Replaced, error);
    default:
        return Make(FileOpCode::Failed, error);
    }
}
