#pragma once

// How an operation on one listed file ended. The actions only need to know
// whether it worked; the reason is kept for whoever wants to say more.
enum class FileOpCode {
    Ok,
    Gone,        // the file (or a folder above it) no longer exists
    Replaced,    // something else now stands at the path: another file, a link
    Permission,  // the user may not change the folder, or the file is immutable
    Failed,      // any other system error; see `error`
    Changed,     // the file at the path is not the one listed: another size or
                 // other times, or a new file that was given the old inode number
    LeftAside,   // the file was set aside to act on it and could not be put
                 // back under its name (something took the name meanwhile);
                 // it stays in its folder under the set-aside name
    Protected,   // installed software or a running program needs the file:
                 // it is never touched
    AlreadyThere, // the destination is the file's own place: nothing to move
};

struct FileOpResult
{
    FileOpCode code = FileOpCode::Ok;
    int error = 0;  // errno behind a failure, 0 on success

    bool ok() const { return code == FileOpCode::Ok; }

    static FileOpResult Success() { return {}; }
    static FileOpResult Make(FileOpCode code, int error) { return FileOpResult{code, error}; }
    // Sorts an errno from changing a folder entry (unlinkat, renameat2).
    static FileOpResult FromErrno(int error);
};
