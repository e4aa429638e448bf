#include "core/CProcOpenFileSource.h"

#include "platform/CProcessFiles.h"

#include <utility>

CProcOpenFileSource::CProcOpenFileSource(QByteArray procRoot) : m_strProcRoot(std::move(procRoot)) {}

COpenFileSource::OpenFiles CProcOpenFileSource::LoadOpenFiles()
{
    OpenFiles result;
    const CProcessFiles::Stats stats = CProcessFiles(m_strProcRoot).Read(
        [&result](dev_t device, ino_t inode) { result.files.push_back(FileKey{device, inode}); },
        [&result](const DeletedOpenFile &file) { result.deleted.push_back(file); });
    CProcessFiles(m_strProcRoot).ReadLocks([&result](dev_t device, ino_t inode) {
        result.locked.push_back(FileKey{device, inode});
    });
    result.processes = stats.processes;
    result.unreadableProcesses = stats.unreadable;
    return result;
}
