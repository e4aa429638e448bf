#include "CrashHarness.h"

#include "RawFiles.h"
#include "ZipReader.h"

#include "core/CCompressStep.h"
#include "core/CDeleteStep.h"
#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "core/CUndoMoveStep.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CJournalRecovery.h"
#include "platform/CPluginLibrary.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kFilesPerFolder = 12;

// Every file below `root` (not folders), as paths relative to it.
void ListFiles(const QByteArray &root, const QByteArray &relative, QList<QByteArray> &out)
{
    const QByteArray folder = relative.isEmpty() ? root : root + '/' + relative;
    for (const QByteArray &name : Entries(folder)) {
        const QByteArray below = relative.isEmpty() ? name : relative + '/' + name;
        struct stat info;
        if (::lstat((root + '/' + below).constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            ListFiles(root, below, out);
        else
            out.append(below);
    }
}

QByteArray BaseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

bool IsAsideName(const QByteArray &name) { return name.startsWith(".bv-aside-"); }
bool IsPartialName(const QByteArray &name)
{
    return name.startsWith(".bv-move-") || name.endsWith(".part");
}

void RunRows(CResultsModel &model, CActionStep &step)
{
    std::vector<int> handled;
    for (int row = model.rowCount() - 1; row >= 0; --row) {
        if (step.Run(model.GetItem(row)).ok())
            handled.push_back(row);
    }
    model.RemoveRowList(handled);
}

} // namespace

const char *CrashHarness::Name(Action action)
{
    switch (action) {
    case Action::Delete: return "delete";
    case Action::MoveSame: return "move, same file system";
    case Action::MoveSamePreserve: return "move, same file system, preserve path";
    case Action::MoveAcross: return "move, across file systems";
    case Action::MoveAcrossPreserve: return "move, across file systems, preserve path";
    case Action::MoveAcrossNamed: return "move, across, no unnamed temporary files";
    case Action::Compress: return "zip";
    case Action::Undo: return "undo of a move across file systems";
    }
    return "";
}

bool CrashHarness::CrossesFileSystems(Action action)
{
    return action == Action::MoveAcross || action == Action::MoveAcrossPreserve || action == Action::MoveAcrossNamed
           || action == Action::Undo;
}

CrashHarness::CrashHarness(const QByteArray &work, const QByteArray &other, const QByteArray &pluginDir, int files,
                           std::uint32_t seed)
    : m_work(work), m_other(other), m_pluginDir(pluginDir), m_nFiles(files), m_random(seed)
{
    for (int i = 0; i < files; ++i) {
        m_relative.append("f" + QByteArray::number(i / kFilesPerFolder % 4) + "/g" + QByteArray::number(i / kFilesPerFolder)
                          + "/file" + QByteArray::number(i) + ".dat");
        QByteArray content = "file " + QByteArray::number(i) + '\n';
        const int extra = std::uniform_int_distribution<int>(0, 12000)(m_random);
        for (int b = 0; b < extra; ++b)
            content += char('a' + (b * 7 + i) % 26);
        m_contents.append(content);
    }
}

QByteArray CrashHarness::DestinationRoot(Action action) const
{
    return (CrossesFileSystems(action) ? m_other : m_work) + "/dst";
}

bool CrashHarness::MakeTree()
{
    for (const QByteArray &base : {m_work, m_other}) {
        QDir(QString::fromLocal8Bit(base + "/src")).removeRecursively();
        QDir(QString::fromLocal8Bit(base + "/dst")).removeRecursively();
        if (::mkdir((base + "/dst").constData(), 0755) != 0)
            return false;
    }
    QList<QByteArray> stray;
    ListFiles(m_work, QByteArray(), stray);
    for (const QByteArray &file : stray)
        ::unlink((m_work + '/' + file).constData());
    for (int i = 0; i < m_nFiles; ++i) {
        const QByteArray path = m_work + "/src/" + m_relative[i];
        QDir().mkpath(QString::fromLocal8Bit(path.left(path.lastIndexOf('/'))));
        if (!WriteFile(path, m_contents[i]))
            return false;
    }
    return true;
}

void CrashHarness::RunChild(Action action, int readyFd)
{
    const QByteArray src = m_work + "/src";
    CResultsModel model;
    CDirectoryWalker walker;
    walker.SetReaderCount(1);
    walker.SetFileHandler([&](const WalkRecord &record) { model.AddResult(record); });
    walker.Walk(src);
    model.FlushPendingRows();
    const auto ready = [readyFd] { (void)!::write(readyFd, "g", 1); };

    switch (action) {
    case Action::Delete: {
        CDeleteStep step(model.GetStore(), src);
        ready();
        RunRows(model, step);
        break;
    }
    case Action::MoveSame:
    case Action::MoveSamePreserve:
    case Action::MoveAcross:
    case Action::MoveAcrossPreserve:
    case Action::MoveAcrossNamed: {
        const bool preserve = action == Action::MoveSamePreserve || action == Action::MoveAcrossPreserve;
        CMoveStep step(model.GetStore(), src, DestinationRoot(action), preserve);
        step.GetMover().SetNamedTemporary(action == Action::MoveAcrossNamed);
        ready();
        RunRows(model, step);
        break;
    }
    case Action::Compress: {
        CPluginLibrary library;
        if (library.Load({m_pluginDir}, BV_COMPRESS_LIBRARY_NAME, BV_COMPRESS_ENTRY_NAME)
            != CPluginLibrary::Status::Loaded)
            ::_exit(3);
        CCompressStep step(model.GetStore(), src, m_work + "/out.zip",
                           reinterpret_cast<CompressFn>(library.GetEntry()), nullptr);
        ready();
        RunRows(model, step);
        break;
    }
    case Action::Undo: {
        CMoveStep move(model.GetStore(), src, DestinationRoot(action), true);
        const std::vector<int> before = model.GetRowItems();
        RunRows(model, move);
        std::unique_ptr<CMoveRecord> record = move.TakeRecord();
        record->TakeRows(before);
        record->SetListAfter(model.GetLayoutGeneration(), model.rowCount());
        CUndoMoveStep undo(model, std::move(record));
        const std::vector<int> items = undo.GetOwnItems();
        ready();
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            undo.Run(*it);
        undo.Finish();
        break;
    }
    }
}

pid_t CrashHarness::StartChild(Action action, int &readyFd)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        RunChild(action, pipeFds[1]);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    // The child says when its action begins: the kill is timed from there.
    char byte;
    (void)!::read(pipeFds[0], &byte, 1);
    readyFd = pipeFds[0];
    return child;
}

int CrashHarness::Duration(Action action)
{
    int &duration = m_durations[int(action)];
    if (duration > 0)
        return duration;
    if (!MakeTree())
        return 1000;
    int readyFd = -1;
    const pid_t child = StartChild(action, readyFd);
    if (child < 0)
        return 1000;
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(readyFd);
    duration = int(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
    if (duration < 100)
        duration = 100;
    return duration;
}

CrashHarness::Outcome CrashHarness::RunOnce(Action action, bool recover)
{
    const int duration = Duration(action);
    Outcome outcome;
    outcome.files = m_nFiles;
    if (!MakeTree()) {
        outcome.lost = m_nFiles;
        return outcome;
    }
    int readyFd = -1;
    const pid_t child = StartChild(action, readyFd);
    if (child < 0)
        return outcome;
    // Anywhere in the action, and now and then just after it.
    const int delay = std::uniform_int_distribution<int>(0, duration + duration / 20)(m_random);
    ::usleep(useconds_t(delay));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(readyFd);
    outcome.killed = WIFSIGNALED(status);
    if (recover)
        CJournalRecovery::Recover();
    outcome = Inspect(action);
    outcome.killed = WIFSIGNALED(status);
    // The time a run takes drifts with the machine's load: kills that came
    // after the end or before the first file move the window.
    const int progress = action == Action::Compress ? outcome.done : outcome.files - outcome.untouched;
    int &window = m_durations[int(action)];
    if (!outcome.killed || progress >= outcome.files)
        window = std::max(100, window * 4 / 5);
    else if (progress == 0)
        window += window / 5;
    return outcome;
}

CrashHarness::Outcome CrashHarness::Inspect(Action action)
{
    Outcome outcome;
    outcome.files = m_nFiles;
    const bool preserve = action == Action::MoveSamePreserve || action == Action::MoveAcrossPreserve
                          || action == Action::Undo;
    // Where each file may be: its own place and, for a move, its destination.
    QHash<QByteArray, int> own, destination; // full path -> file number
    for (int i = 0; i < m_nFiles; ++i) {
        const QByteArray source = m_work + "/src/" + m_relative[i];
        const QByteArray moved = DestinationRoot(action) + '/' + (preserve ? m_relative[i] : BaseName(m_relative[i]));
        own.insert(action == Action::Undo ? moved : source, i);
        destination.insert(action == Action::Undo ? source : moved, i);
    }
    QList<QByteArray> found;
    QList<QByteArray> roots = {m_work, DestinationRoot(action)};
    if (roots[1].startsWith(m_work + '/'))
        roots.removeLast();
    for (const QByteArray &root : roots) {
        QList<QByteArray> files;
        ListFiles(root, QByteArray(), files);
        for (const QByteArray &file : files)
            found.append(root + '/' + file);
    }
    std::vector<int> atOwn(std::size_t(m_nFiles), 0), atDestination(std::size_t(m_nFiles), 0);
    for (const QByteArray &path : found) {
        const QByteArray name = BaseName(path);
        if (IsAsideName(name)) {
            ++outcome.hidden;
        } else if (IsPartialName(name)) {
            ++outcome.partial;
        } else if (own.contains(path)) {
            const int i = own.value(path);
            if (ReadFile(path) == m_contents[i])
                atOwn[std::size_t(i)] = 1;
        } else if (destination.contains(path)) {
            const int i = destination.value(path);
            if (ReadFile(path) == m_contents[i])
                atDestination[std::size_t(i)] = 1;
        } else if (path != m_work + "/out.zip") {
            ++outcome.strays;
        }
    }
    if (action == Action::Compress) {
        const QByteArray archive = m_work + "/out.zip";
        if (::access(archive.constData(), F_OK) == 0) {
            // The end record closes the file and counts the entries; a full
            // read of every entry now and then (it takes a reader of its own).
            const QByteArray bytes = ReadFile(archive);
            const auto *end = reinterpret_cast<const unsigned char *>(bytes.constData()) + bytes.size() - 22;
            const bool closed = bytes.size() >= 22 && end[0] == 'P' && end[1] == 'K' && end[2] == 5 && end[3] == 6;
            outcome.done = closed ? end[10] | end[11] << 8 : 0;
            if (!closed)
                ++outcome.partial;
            if (closed && ++m_nArchivesRead % 10 == 1) {
                const ZipListing listing = ReadZip(archive);
                if (!listing.ok || int(listing.entries.size()) != outcome.done)
                    ++outcome.partial;
            }
        }
    }
    for (int i = 0; i < m_nFiles; ++i) {
        const bool here = atOwn[std::size_t(i)], there = atDestination[std::size_t(i)];
        if (action == Action::Delete) {
            here ? ++outcome.untouched : ++outcome.done;
        } else if (action == Action::Compress) {
            here ? ++outcome.untouched : ++outcome.lost;
        } else if (here && there) {
            ++outcome.both;
        } else if (here) {
            ++outcome.untouched;
        } else if (there) {
            ++outcome.done;
        } else {
            ++outcome.lost;
        }
    }
    return outcome;
}
