#pragma once

#include "platform/FileOpResult.h"

#include <QByteArray>
#include <QList>
#include <sys/types.h>
#include <vector>

// A folder to start from and a chain of levels below it, reached one level
// at a time by descriptor, the missing levels made on the way when asked.
//
// The base is opened as named: the user chose it, links and all. The levels
// below it come from a file's own folder chain, not from the user, so a link
// standing at one of them is refused rather than followed, and a level made
// here is entered without following links either, so nothing swapped in
// after mkdirat can redirect the rest. What a Reach made can be taken away
// again, deepest first, as long as it is still empty.
class CFolderMaker
{
public:
    struct MadeFolder
    {
        QByteArray relative; // below the base, levels joined by '/'
        dev_t device = 0;
        ino_t inode = 0;
    };

    CFolderMaker() = default;
    ~CFolderMaker();
    CFolderMaker(const CFolderMaker &) = delete;
    CFolderMaker &operator=(const CFolderMaker &) = delete;

    // Opens the folder the chains start from. False with `result` set when
    // it cannot be opened as a folder.
    bool OpenBase(const QByteArray &path, FileOpResult &result);
    bool HasBase() const { return m_baseFd >= 0; }
    // The device of the base's file system; false without a base or when
    // the system cannot tell.
    bool GetBaseDevice(dev_t &device) const;

    // The descriptor of `levels` below the base (the base itself for none),
    // owned here and valid until the next Reach; the missing levels are made
    // when `create` is set. -1 with `result` set when a level is missing, is
    // a link or no folder, or cannot be made; the levels made before the
    // failure stay until RemoveMade.
    int Reach(const QList<QByteArray> &levels, bool create, FileOpResult &result);
    // The levels the last Reach made, outermost first.
    const std::vector<MadeFolder> &GetMade() const { return m_made; }
    // Takes away what the last Reach made, deepest first, stopping at the
    // first level that is no longer empty.
    void RemoveMade();
    // Removes `folder` below the base if it is still that folder (device
    // and inode) and empty; false otherwise.
    bool RemoveIfEmpty(const MadeFolder &folder);

    // The non-empty levels of a relative folder path.
    static QList<QByteArray> SplitLevels(const QByteArray &relative);

private:
    struct Level
    {
        int parentFd;
        QByteArray name;
        int fd;
        bool made;
    };

    void CloseLevels();

    int m_baseFd = -1;
    std::vector<Level> m_levels;
    std::vector<MadeFolder> m_made;
};
