// Moves N small files with the Move step and with mv (one process for all
// files) on copies of the same data in the same run, within one file system
// and across two, and prints each time and the ratio step / mv.
//
//   bench_move [file count] [source parent] [other file system parent]

#include "core/CMoveStep.h"
#include "core/CResultStore.h"
#include "platform/CDirectoryWalker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray MakeTemp(const QByteArray &parent, const char *tag)
{
    QByteArray pattern = parent + "/bv-bench-move-" + tag + "-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : QByteArray();
}

// N files of 1 to 4 KB in folders of 500.
bool Fill(const QByteArray &root, int count)
{
    QByteArray data(4096, 'd');
    for (int i = 0; i < count; ++i) {
        const QByteArray folder = root + "/d" + QByteArray::number(i / 500);
        if (i % 500 == 0 && ::mkdir(folder.constData(), 0755) != 0)
            return false;
        const QByteArray path = folder + "/f" + QByteArray::number(i) + ".tmp";
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, data.constData(), std::size_t(1024 + (i % 4) * 1024)) < 0)
            return false;
        ::close(fd);
    }
    return true;
}

void Remove(const QByteArray &path)
{
    QProcess::execute("rm", {"-rf", QString::fromLocal8Bit(path)});
}

double TimeMv(const QByteArray &root, const QByteArray &target)
{
    // All files in one mv process, as find | xargs would hand them over.
    QElapsedTimer timer;
    timer.start();
    const QString script = QStringLiteral("find \"$1\" -type f -print0 | xargs -0 mv -n -t \"$2\"");
    QProcess::execute("sh", {"-c", script, "sh", QString::fromLocal8Bit(root), QString::fromLocal8Bit(target)});
    return double(timer.nsecsElapsed()) / 1e9;
}

double TimeStep(const QByteArray &root, const QByteArray &target, int &failed)
{
    QElapsedTimer timer;
    timer.start();
    CResultStore store;
    CDirectoryWalker walker;
    walker.SetFileHandler([&](const WalkRecord &record) { store.AddResult(record); });
    walker.Walk(root);
    const double walk = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    CMoveStep step(store, root, target, false);
    failed = 0;
    for (int i = store.GetCount() - 1; i >= 0; --i)
        failed += step.Run(i).ok() ? 0 : 1;
    std::printf("    (walk %.3f s, not counted)\n", walk);
    return double(timer.nsecsElapsed()) / 1e9;
}

void Compare(const char *label, const QByteArray &sourceParent, const QByteArray &targetParent, int count)
{
    const QByteArray a = MakeTemp(sourceParent, "a"), b = MakeTemp(sourceParent, "b");
    const QByteArray ta = MakeTemp(targetParent, "ta"), tb = MakeTemp(targetParent, "tb");
    if (a.isEmpty() || b.isEmpty() || ta.isEmpty() || tb.isEmpty() || !Fill(a, count) || !Fill(b, count)) {
        std::printf("%s: cannot set up\n", label);
        return;
    }
    ::sync();
    int failed = 0;
    const double mv = TimeMv(a, ta);
    const double step = TimeStep(b, tb, failed);
    std::printf("%s: %d files  mv %.3f s  step %.3f s  ratio %.2f  (failed %d)\n", label, count, mv, step,
                step / mv, failed);
    for (const QByteArray &path : {a, b, ta, tb})
        Remove(path);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QByteArray source = argc > 2 ? QByteArray(argv[2]) : QByteArray("/tmp");
    const QByteArray other = argc > 3 ? QByteArray(argv[3]) : QByteArray("/dev/shm");
    Compare("same file system", source, source, count);
    Compare("across file systems", source, other, count);
    return 0;
}
