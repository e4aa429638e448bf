#include "cli/CDryRunStep.h"

#include "core/CResultStore.h"
#include "core/PathEscape.h"
#include "core/PathJoin.h"
#include "platform/CPathInfo.h"

#include <cerrno>

CDryRunStep::CDryRunStep(const CResultStore &store, CliRequest::Command command, const ActionTarget &target,
                         QByteArray &out)
    : m_store(store), m_command(command), m_target(target), m_out(out)
{
}

QByteArray CDryRunStep::DestinationOf(int index) const
{
    const QByteArray path = m_store.GetPath(index);
    switch (m_command) {
    case CliRequest::Move:
        if (m_target.preservePath) {
            // The file's folders below the drive root are rebuilt below the folder.
            const QByteArray &root = m_target.driveRoot;
            const QByteArray below = root == "/" ? path.mid(1) : path.mid(root.size() + 1);
            return JoinPath(m_target.folder, below);
        }
        return JoinPath(m_target.folder, m_store.GetPaths().GetName(index));
    case CliRequest::Zip:
        return m_target.archive;
    default:
        return {};
    }
}

bool CDryRunStep::FolderChainIntact(const QByteArray &folder)
{
    // The real steps reach a file from the drive root without following a
    // link; a folder swapped for a link since the scan makes them refuse the
    // file, so the dry run must not promise it.
    const auto known = m_folderIntact.constFind(folder);
    if (known != m_folderIntact.constEnd())
        return known.value();
    bool intact = CPathInfo::LookUp(folder).kind == PathInfo::Folder;
    if (intact && folder != m_target.driveRoot)
        intact = FolderChainIntact(ParentFolderOf(folder));
    m_folderIntact.insert(folder, intact);
    return intact;
}

FileOpResult CDryRunStep::Run(int index)
{
    const QByteArray path = m_store.GetPath(index);
    const PathInfo now = CPathInfo::LookUp(path);
    if (now.kind == PathInfo::Missing) {
        if (now.error == ENOENT || now.error == ENOTDIR)
            return FileOpResult::Make(FileOpCode::Gone, now.error);
        return FileOpResult::Make(FileOpCode::Failed, now.error);
    }
    if (!m_store.GetIdentity(index).SameFile(now.identity) || !FolderChainIntact(m_store.GetPaths().GetFolder(index)))
        return FileOpResult::Make(FileOpCode::Replaced, 0);
    const QByteArray destination = DestinationOf(index);
    if (m_command == CliRequest::Move) {
        if (m_plannedDestinations.contains(destination) || CPathInfo::LookUp(destination).kind != PathInfo::Missing)
            return FileOpResult::Make(FileOpCode::Failed, EEXIST);
        m_plannedDestinations.insert(destination);
    }
    m_out += CommandWord(m_command);
    m_out += '\t';
    m_out += EscapePath(path);
    if (!destination.isEmpty()) {
        m_out += '\t';
        m_out += EscapePath(destination);
    }
    m_out += '\n';
    return FileOpResult::Success();
}
