#include "core/CTrashFolderMover.h"

#include <cerrno>

FileOpResult CTrashFolderMover::MoveOne(CFileMover &mover, const QByteArray &relativePath,
                                        const FileIdentity &expected, const Side &from, const Side &to,
                                        FileIdentity &arrived, std::vector<CFolderMaker::MadeFolder> *made)
{
    const qsizetype slash = relativePath.lastIndexOf('/');
    const QList<QByteArray> inner = CFolderMaker::SplitLevels(slash < 0 ? QByteArray() : relativePath.left(slash));
    const QByteArray name = relativePath.mid(slash + 1);
    FileOpResult result;
    const int fromFd = from.maker.Reach(from.levels + inner, false, result);
    if (fromFd < 0)
        return result;
    const int toFd = to.maker.Reach(to.levels + inner, made != nullptr, result);
    if (made)
        made->insert(made->end(), to.maker.GetMade().begin(), to.maker.GetMade().end());
    if (toFd < 0)
        return result;
    return mover.Move(fromFd, name, expected, toFd, name, &arrived);
}

FileOpResult CTrashFolderMover::Move(CFileMover &mover, const std::vector<CTrashItem::Member> &members,
                                     const Side &from, const Side &to, std::vector<FileIdentity> &arrived,
                                     std::vector<CFolderMaker::MadeFolder> &made)
{
    arrived.clear();
    made.clear();
    FileOpResult result;
    // One item: never merged into a folder of the same name.
    if (to.maker.Reach(to.levels, false, result) >= 0)
        return FileOpResult::Make(FileOpCode::Failed, EEXIST);
    arrived.reserve(members.size());
    for (const CTrashItem::Member &member : members) {
        FileIdentity there;
        result = MoveOne(mover, member.relativePath, member.identity, from, to, there, &made);
        if (!result.ok())
            break;
        arrived.push_back(there);
    }
    if (result.ok())
        return result;
    // Back the way they came, last first; a file that cannot go back stays
    // where it arrived (nothing is lost, nothing replaced) and keeps its
    // folder there.
    for (std::size_t i = arrived.size(); i-- > 0;) {
        FileIdentity back;
        MoveOne(mover, members[i].relativePath, arrived[i], to, from, back, nullptr);
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        to.maker.RemoveIfEmpty(*it);
    arrived.clear();
    made.clear();
    return result;
}
