// The compression plug-in, loaded through the program's own loading code,
// against archives read back by Python's zipfile and by unzip: files
// collected over many calls, archives it must not write into, names and
// times zip cannot hold plainly, links, files that change while read, large
// files, a process killed between calls and a disk that fills up.
#include "RawFiles.h"
#include "TempDrive.h"
#include "ZipReader.h"

#include "platform/CPluginLibrary.h"
#include "platform/CompressApi.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace {

int g_callbacks = 0;

extern "C" int CountCallback(int, int)
{
    ++g_callbacks;
    return 1;
}

// Bytes that deflate a little but not to nothing.
QByteArray Content(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    static const char *words[] = {"cache ", "temp ", "build ", "object ", "log ", "trace "};
    QByteArray out;
    out.reserve(size);
    while (out.size() < size) {
        if (random.bounded(4) == 0)
            out.append(char(random.bounded(256)));
        else
            out.append(words[random.bounded(6)]);
    }
    out.truncate(size);
    return out;
}

// By raw bytes: a name that is not UTF-8 must arrive as it is.
QByteArray ReadAll(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct stat StatOf(const QByteArray &path)
{
    struct stat st {};
    ::lstat(path.constData(), &st);
    return st;
}

// The value of extra field `id` in an entry's central extra fields.
QByteArray ExtraField(const QByteArray &extra, quint16 id)
{
    int pos = 0;
    while (pos + 4 <= extra.size()) {
        const quint16 tag = quint8(extra[pos]) | (quint8(extra[pos + 1]) << 8);
        const int size = quint8(extra[pos + 2]) | (quint8(extra[pos + 3]) << 8);
        if (tag == id)
            return extra.mid(pos + 4, size);
        pos += 4 + size;
    }
    return QByteArray();
}

qint64 Little(const QByteArray &bytes, int at, int width)
{
    quint64 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    if (width == 4)
        return qint32(quint32(value));
    return qint64(value);
}

// The CRC-32 of `size` zero bytes, without making them.
quint32 Crc32OfZeros(qint64 size)
{
    const QByteArray block(1 << 20, '\0');
    const uLong blockCrc = crc32(0, reinterpret_cast<const Bytef *>(block.constData()), uInt(block.size()));
    uLong crc = 0;
    for (qint64 done = 0; done < size; done += block.size())
        crc = crc32_combine64(crc, blockCrc, block.size());
    return quint32(crc);
}

} // namespace

class TestCompressPlugin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void collectsFilesOverSeveralCalls();
    void newArchiveAppearsOnlyOnceAFileIsStored();
    void fileThatIsNotAnArchiveIsNeverTouched();
    void archiveIsNeverStoredIntoItself();
    void extendsAnArchiveChangedByAnotherProgram();
    void namesKeepTheirBytes();
    void timesOutsideTheDateFieldAreKept();
    void linksAreStoredAsLinks();
    void whatCannotBeStoredFails();
    void fileChangingWhileReadIsCalledBackThreeTimes();
    void largeFilesAreStreamedAmongSmallOnes();
    void killedBetweenCallsLosesNothingStored();
    void cutOffAtAnyLengthLeavesAValidArchive();
    void fullDiskLeavesTheArchiveValid();
    void fileOverFourGigabytesUsesZip64();
    void aNameIsNeverStoredTwice();

private:
    int Call(const QByteArray &archive, const QList<QByteArray> &files);
    void ExpectHolds(const QByteArray &archive, const QList<QByteArray> &files);

    CompressFn m_compress = nullptr;
    CompressRenamedFn m_renamed = nullptr;
    std::unique_ptr<TempDrive> m_drive;
};

void TestCompressPlugin::initTestCase()
{
    CPluginLibrary library;
    const CPluginLibrary::Status status = library.Load({QByteArray(BV_PLUGIN_DIR)}, BV_COMPRESS_LIBRARY_NAME,
                                                       BV_COMPRESS_ENTRY_NAME);
    QVERIFY2(status == CPluginLibrary::Status::Loaded, library.GetPath() + " " + library.GetError());
    m_compress = reinterpret_cast<CompressFn>(library.GetEntry());
    m_renamed = reinterpret_cast<CompressRenamedFn>(library.GetOptionalEntry(BV_COMPRESS_RENAMED_NAME));
    QVERIFY(m_renamed);
}

void TestCompressPlugin::init()
{
    m_drive = std::make_unique<TempDrive>();
    QVERIFY(m_drive->isValid());
}

int TestCompressPlugin::Call(const QByteArray &archive, const QList<QByteArray> &files)
{
    std::vector<const char *> paths;
    for (const QByteArray &file : files)
        paths.push_back(file.constData());
    g_callbacks = 0;
    return m_compress(archive.constData(), paths.data(), int(paths.size()), &CountCallback);
}

// The archive holds exactly `files`, in order, each with its own bytes.
void TestCompressPlugin::ExpectHolds(const QByteArray &archive, const QList<QByteArray> &files)
{
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(listing.entries.size(), files.size());
    for (int i = 0; i < files.size(); ++i) {
        const ZipEntry &entry = listing.entries[i];
        QCOMPARE(entry.name, EntryNameOf(files[i]));
        QCOMPARE(entry.size, qint64(StatOf(files[i]).st_size));
        QCOMPARE(entry.sha256, FileSha256(files[i]));
        QCOMPARE(entry.mode, int(StatOf(files[i]).st_mode));
    }
}

void TestCompressPlugin::collectsFilesOverSeveralCalls()
{
    const QByteArray archive = m_drive->path("out/Back-up.zip");
    QVERIFY(m_drive->makeFolder("out"));
    QList<QByteArray> files;
    // Sizes around every edge: empty, one byte, incompressible, compressible,
    // and enough of them that the directory has to move several times.
    const QList<int> sizes = {0, 1, 5000, 70000, 300, 1 << 20, 12, 40000, 2, 200000};
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < sizes.size(); ++i) {
            const QByteArray path = m_drive->path("Temp/r" + QByteArray::number(round) + "/f" + QByteArray::number(i));
            QVERIFY(m_drive->makeFolder("Temp/r" + QByteArray::number(round)));
            QByteArray bytes = Content(sizes[i], quint32(round * 100 + i));
            if (i == 2) {
                bytes.resize(sizes[i]);
                QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            }
            QVERIFY(WriteFile(path, bytes));
            const struct stat before = StatOf(path);
            QCOMPARE(Call(archive, {path}), 0);
            QVERIFY2(g_callbacks >= 1 && g_callbacks <= 2, qPrintable(QString::number(g_callbacks)));
            files.append(path);
            // Reading changed nothing about the file.
            const struct stat after = StatOf(path);
            QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
            QCOMPARE(after.st_size, before.st_size);
        }
        // A complete archive after every call, not only at the end.
        ExpectHolds(archive, files);
    }
    bool ran = false;
    QString output;
    const bool clean = UnzipTestsClean(archive, ran, &output);
    if (ran)
        QVERIFY2(clean, qPrintable(output));

    // Several files in one call: each stored, one result.
    QList<QByteArray> more;
    for (int i = 0; i < 3; ++i) {
        more.append(m_drive->path("Temp/many" + QByteArray::number(i)));
        QVERIFY(WriteFile(more.last(), Content(100 + i, quint32(i))));
    }
    QCOMPARE(Call(archive, more), 0);
    ExpectHolds(archive, files + more);
    // What is left unused inside stays small next to what is stored.
    qint64 stored = 0;
    for (const ZipEntry &entry : ReadZip(archive).entries)
        stored += entry.compressed + 30 + 46 + 2 * entry.name.size() + 2 * entry.extra.size();
    QVERIFY2(StatOf(archive).st_size < stored + stored / 4 + 4096,
             qPrintable(QStringLiteral("%1 vs %2").arg(StatOf(archive).st_size).arg(stored)));
}

void TestCompressPlugin::newArchiveAppearsOnlyOnceAFileIsStored()
{
    QVERIFY(m_drive->makeFolder("out"));
    const QByteArray archive = m_drive->path("out/new.zip");
    QCOMPARE(Call(archive, {m_drive->path("missing")}), 1);
    QVERIFY(::access(archive.constData(), F_OK) != 0);
    QCOMPARE(QDir(QFile::decodeName(m_drive->path("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());

    const QByteArray file = m_drive->path("a.tmp");
    QVERIFY(WriteFile(file, "hello"));
    // One missing, one stored: the call reports the failure, the stored file stays.
    QCOMPARE(Call(archive, {m_drive->path("missing"), file}), 1);
    ExpectHolds(archive, {file});
    QCOMPARE(QDir(QFile::decodeName(m_drive->path("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("new.zip")});
    // A folder that does not exist: nothing to create, a clean failure.
    QCOMPARE(Call(m_drive->path("nowhere/x.zip"), {file}), 1);
}

void TestCompressPlugin::fileThatIsNotAnArchiveIsNeverTouched()
{
    const QByteArray file = m_drive->path("a.tmp");
    QVERIFY(WriteFile(file, "data"));
    QByteArray zipWithHead = "not a zip at first ";
    const QList<QByteArray> strangers = {"a letter\n", QByteArray(), QByteArray(100000, 'P'), "PK\x05\x06 short"};
    for (int i = 0; i < strangers.size(); ++i) {
        const QByteArray target = m_drive->path("doc" + QByteArray::number(i) + ".zip");
        QVERIFY(WriteFile(target, strangers[i]));
        QVERIFY(m_drive->setTimes("doc" + QByteArray::number(i) + ".zip", 1000000000, 1000000000));
        // Said apart from a file that could not be stored, and before any
        // file by a call with none.
        QCOMPARE(Call(target, {}), BV_COMPRESS_NOT_AN_ARCHIVE);
        QCOMPARE(Call(target, {file}), BV_COMPRESS_NOT_AN_ARCHIVE);
        QCOMPARE(ReadAll(target), strangers[i]);
        QCOMPARE(qint64(StatOf(target).st_mtim.tv_sec), qint64(1000000000));
    }
    // A link at the archive path is not followed, and its target not written.
    const QByteArray real = m_drive->path("real.zip");
    QCOMPARE(Call(real, {file}), 0);
    const QByteArray before = ReadAll(real);
    QCOMPARE(Call(real, {}), 0); // an archive: the call with no files changes nothing
    QCOMPARE(ReadAll(real), before);
    QVERIFY(m_drive->makeSymlink("link.zip", "real.zip"));
    QCOMPARE(Call(m_drive->path("link.zip"), {file}), BV_COMPRESS_NOT_AN_ARCHIVE);
    QCOMPARE(ReadAll(real), before);
    // Nor is a folder.
    QVERIFY(m_drive->makeFolder("folder.zip"));
    QCOMPARE(Call(m_drive->path("folder.zip"), {file}), BV_COMPRESS_NOT_AN_ARCHIVE);
    // Nothing there: the call with no files makes no archive.
    QCOMPARE(Call(m_drive->path("none.zip"), {}), 0);
    QVERIFY(!QFile::exists(QFile::decodeName(m_drive->path("none.zip"))));
}

void TestCompressPlugin::archiveIsNeverStoredIntoItself()
{
    const QByteArray archive = m_drive->path("Temp/self.zip");
    const QByteArray file = m_drive->path("Temp/a.tmp");
    QVERIFY(m_drive->makeFile("Temp/a.tmp", 10));
    QCOMPARE(Call(archive, {file}), 0);
    QCOMPARE(Call(archive, {archive}), 1);
    // Under another name: a hard link is still the archive.
    const QByteArray alias = m_drive->path("Temp/alias.tmp");
    QCOMPARE(::link(archive.constData(), alias.constData()), 0);
    QCOMPARE(Call(archive, {alias, file}), 1);
    ExpectHolds(archive, {file}); // the file itself was there already
}

void TestCompressPlugin::extendsAnArchiveChangedByAnotherProgram()
{
    const QByteArray archive = m_drive->path("other.zip");
    // Written by another program, with a comment of its own.
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import zipfile,sys\n"
                                 "z=zipfile.ZipFile(sys.argv[1],'w')\n"
                                 "z.writestr('first.txt','one')\n"
                                 "z.comment=b'kept'\n"
                                 "z.close()\n"),
                  QFile::decodeName(archive)});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
    const QByteArray file = m_drive->path("b.tmp");
    QVERIFY(WriteFile(file, Content(5000, 3)));
    QCOMPARE(Call(archive, {file}), 0);
    // Changed behind the plug-in's back between two calls: what it knew of
    // the archive is stale and must not be written over what is there now.
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import zipfile,sys\n"
                                 "z=zipfile.ZipFile(sys.argv[1],'a')\n"
                                 "z.writestr('second.txt','two'*1000)\n"
                                 "z.close()\n"),
                  QFile::decodeName(archive)});
    QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
    const QByteArray next = m_drive->path("c.tmp");
    QVERIFY(WriteFile(next, Content(7000, 4)));
    QCOMPARE(Call(archive, {next}), 0);
    // The names come from the file as it is now: the first file is there.
    QCOMPARE(Call(archive, {file}), 0);
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    const QList<QByteArray> expected = {"first.txt", EntryNameOf(file), "second.txt", EntryNameOf(next)};
    QCOMPARE(listing.Names(), expected);
    QCOMPARE(listing.comment, QByteArray("kept"));
    QCOMPARE(listing.entries[3].sha256, FileSha256(next));
}

void TestCompressPlugin::namesKeepTheirBytes()
{
    const QByteArray archive = m_drive->path("names.zip");
    const QByteArray bad = m_drive->path("Temp/bad\xff\xfe.tmp");
    const QByteArray accented = m_drive->path("Temp/caf\xc3\xa9.tmp");
    const QByteArray overlong = m_drive->path("Temp/over\xc0\xaf.tmp");
    QVERIFY(m_drive->makeFolder("Temp"));
    for (const QByteArray &path : {bad, accented, overlong})
        QVERIFY(WriteFile(path, path));
    QCOMPARE(Call(archive, {bad}), 0);
    QCOMPARE(Call(archive, {accented}), 0);
    QCOMPARE(Call(archive, {overlong}), 0);
    QCOMPARE(Call(archive, {accented}), 0); // the same file twice: there once
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(listing.entries.size(), 3);
    QCOMPARE(listing.entries[0].name, EntryNameOf(bad));
    QVERIFY(!listing.entries[0].utf8);
    QCOMPARE(listing.entries[1].name, EntryNameOf(accented));
    QVERIFY(listing.entries[1].utf8);
    QCOMPARE(listing.entries[2].name, EntryNameOf(overlong));
    QVERIFY(!listing.entries[2].utf8);
    QCOMPARE(listing.entries[0].sha256, FileSha256(bad));
    for (const QByteArray &path : {bad, overlong})
        ::unlink(path.constData()); // the temporary folder cannot remove them itself
}

void TestCompressPlugin::timesOutsideTheDateFieldAreKept()
{
    const QByteArray archive = m_drive->path("times.zip");
    const qint64 y1960 = -315619200; // 1960-01-01 00:00:00 UTC
    const qint64 y2200 = 7258118400; // 2200-01-01 00:00:00 UTC
    const qint64 y2020 = 1600000000;
    QVERIFY(m_drive->makeFile("old.tmp", 3));
    QVERIFY(m_drive->makeFile("future.tmp", 3));
    QVERIFY(m_drive->makeFile("now.tmp", 3));
    QVERIFY(m_drive->setTimes("old.tmp", y1960, y1960));
    QVERIFY(m_drive->setTimes("future.tmp", y2200, y2200));
    QVERIFY(m_drive->setTimes("now.tmp", y2020, y2020));
    QCOMPARE(Call(archive, {m_drive->path("old.tmp"), m_drive->path("future.tmp"), m_drive->path("now.tmp")}), 0);
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(listing.entries.size(), 3);

    // 1960: the date field stops at 1980; a 32-bit Unix time holds it.
    QCOMPARE(listing.entries[0].date.value(0), 1980);
    const QByteArray old = ExtraField(listing.entries[0].extra, 0x5455);
    QCOMPARE(old.size(), 5);
    QCOMPARE(Little(old, 1, 4), y1960);

    // 2200: past the date field and past any 32-bit time; the 64-bit NTFS
    // times hold it (100 ns steps since 1601).
    QCOMPARE(listing.entries[1].date.value(0), 2107);
    QVERIFY(ExtraField(listing.entries[1].extra, 0x5455).isEmpty());
    const QByteArray ntfs = ExtraField(listing.entries[1].extra, 0x000a);
    QCOMPARE(ntfs.size(), 32);
    QCOMPARE(Little(ntfs, 8, 8), (y2200 + 11644473600LL) * 10000000LL);

    // An ordinary time: the date field and the exact UTC seconds.
    QVERIFY(listing.entries[2].date.value(0) == 2020);
    QCOMPARE(Little(ExtraField(listing.entries[2].extra, 0x5455), 1, 4), y2020);
}

void TestCompressPlugin::linksAreStoredAsLinks()
{
    const QByteArray archive = m_drive->path("links.zip");
    QVERIFY(WriteFile(m_drive->path("target.txt"), QByteArray(10000, 'x')));
    QVERIFY(m_drive->makeSymlink("link.tmp", "target.txt"));
    QVERIFY(m_drive->makeSymlink("dangling.tmp", "nowhere/at/all"));
    const QByteArray link = m_drive->path("link.tmp");
    const QByteArray dangling = m_drive->path("dangling.tmp");
    QCOMPARE(Call(archive, {link, dangling}), 0);
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(listing.entries.size(), 2);
    QVERIFY(S_ISLNK(listing.entries[0].mode));
    QCOMPARE(listing.entries[0].size, qint64(10)); // "target.txt", not its 10000 bytes
    QCOMPARE(listing.entries[0].sha256, QCryptographicHash::hash("target.txt", QCryptographicHash::Sha256).toHex());
    QVERIFY(S_ISLNK(listing.entries[1].mode));
    QCOMPARE(listing.entries[1].sha256,
             QCryptographicHash::hash("nowhere/at/all", QCryptographicHash::Sha256).toHex());
}

void TestCompressPlugin::whatCannotBeStoredFails()
{
    const QByteArray archive = m_drive->path("odd.zip");
    const QByteArray good = m_drive->path("good.tmp");
    QVERIFY(WriteFile(good, "fine"));
    QCOMPARE(Call(archive, {good}), 0);
    // A pipe would block the program for ever; a folder is not a file; a
    // path climbing out with ".." would unpack outside its folder.
    const QByteArray fifo = m_drive->path("pipe.tmp");
    QCOMPARE(::mkfifo(fifo.constData(), 0644), 0);
    QVERIFY(m_drive->makeFolder("dir.tmp"));
    const QList<QByteArray> bad = {fifo, m_drive->path("dir.tmp"), m_drive->path("dir.tmp/../good.tmp"),
                                   m_drive->path("gone.tmp"), QByteArray()};
    for (const QByteArray &path : bad)
        QCOMPARE(Call(archive, {path}), 1);
    ExpectHolds(archive, {good});
    // No file at all: nothing to do, and nothing goes wrong.
    QCOMPARE(m_compress(archive.constData(), nullptr, 0, &CountCallback), 0);
    QCOMPARE(m_compress(nullptr, nullptr, 0, &CountCallback), 1);
}

void TestCompressPlugin::fileChangingWhileReadIsCalledBackThreeTimes()
{
    const QByteArray archive = m_drive->path("moving.zip");
    const QByteArray path = m_drive->path("growing.log");
    QVERIFY(WriteFile(path, Content(8 << 20, 5)));
    // Another program keeps writing to the file while it is stored. Each try
    // races the writer; one in which the change falls inside the read is
    // all but certain within a few tries, and each try must keep the archive
    // sound whichever way the race goes.
    bool seen = false;
    for (int attempt = 0; attempt < 20 && !seen; ++attempt) {
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            const int fd = ::open(path.constData(), O_WRONLY | O_APPEND);
            while (!stop.load()) {
                (void)!::write(fd, "more\n", 5);
                std::this_thread::yield();
            }
            ::close(fd);
        });
        const int result = Call(archive, {path});
        stop = true;
        writer.join();
        QCOMPARE(result, 0);
        QVERIFY(g_callbacks == 2 || g_callbacks == 3);
        seen = g_callbacks == 3;
    }
    QVERIFY2(seen, "the file never changed during a read in 20 tries");
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error)); // CRCs of the bytes read agree

    // Unchanged, the same file is called back twice.
    QCOMPARE(Call(archive, {path}), 0);
    QCOMPARE(g_callbacks, 2);
}

void TestCompressPlugin::largeFilesAreStreamedAmongSmallOnes()
{
    const QByteArray archive = m_drive->path("mixed.zip");
    QList<QByteArray> files;
    for (int i = 0; i < 6; ++i) {
        const bool large = i % 3 == 1;
        files.append(m_drive->path("f" + QByteArray::number(i)));
        QVERIFY(WriteFile(files.last(), Content(large ? (20 << 20) + i : 3000 * (i + 1), quint32(i))));
        QCOMPARE(Call(archive, {files.last()}), 0);
        QCOMPARE(g_callbacks, 2);
    }
    ExpectHolds(archive, files);
}

void TestCompressPlugin::killedBetweenCallsLosesNothingStored()
{
    QList<QByteArray> files;
    for (int i = 0; i < 120; ++i) {
        files.append(m_drive->path("k/f" + QByteArray::number(i)));
        QVERIFY(m_drive->makeFolder("k"));
        QVERIFY(WriteFile(files.last(), Content(int(QRandomGenerator(quint32(i)).bounded(1, 120000)), quint32(i))));
    }
    for (const int stopAfter : {3, 17, 60}) {
        const QByteArray archive = m_drive->path("killed" + QByteArray::number(stopAfter) + ".zip");
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            for (int i = 0; i < files.size(); ++i) {
                const char *one[1] = {files[i].constData()};
                if (m_compress(archive.constData(), one, 1, &CountCallback) == 0) {
                    const unsigned char index = static_cast<unsigned char>(i);
                    (void)!::write(pipeFds[1], &index, 1);
                }
            }
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        QList<int> stored;
        unsigned char index = 0;
        while (stored.size() < stopAfter && ::read(pipeFds[0], &index, 1) == 1)
            stored.append(index);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (::read(pipeFds[0], &index, 1) == 1) // told before it died
            stored.append(index);
        ::close(pipeFds[0]);

        const ZipListing listing = ReadZip(archive);
        QVERIFY2(listing.ok, qPrintable(listing.error));
        QVERIFY(listing.entries.size() >= stored.size());
        for (int i = 0; i < stored.size(); ++i) {
            QCOMPARE(listing.entries[i].name, EntryNameOf(files[stored[i]]));
            QCOMPARE(listing.entries[i].sha256, FileSha256(files[stored[i]]));
        }
        // And the next call goes on from there.
        QCOMPARE(Call(archive, {files[0]}), 0);
        QVERIFY(ReadZip(archive).ok);
    }
}

// Whether the last bytes of `archive` are an end record (no comment) that
// closes a directory of at least `atLeast` records ending right before it.
bool EndsClosed(const QByteArray &archive, int atLeast)
{
    const QByteArray bytes = ReadFile(archive);
    if (bytes.size() < 22)
        return false;
    const int end = int(bytes.size()) - 22;
    if (Little(bytes, end, 4) != 0x06054b50 || Little(bytes, end + 20, 2) != 0)
        return false;
    const qint64 count = Little(bytes, end + 10, 2);
    const qint64 cdSize = Little(bytes, end + 12, 4);
    const qint64 cdOffset = Little(bytes, end + 16, 4);
    return count >= atLeast && cdOffset + cdSize == end && (count == 0 || Little(bytes, int(cdOffset), 4) == 0x02014b50);
}

// A process killed while it extends an archive (here: stopped by a file size
// limit at every length the archive passes through) leaves an archive that
// the next call finds whole, with at least what it held before.
void TestCompressPlugin::cutOffAtAnyLengthLeavesAValidArchive()
{
    QVERIFY(m_drive->makeFolder("c"));
    QList<QByteArray> before, added;
    for (int i = 0; i < 60; ++i) {
        const QByteArray file = m_drive->path("c/with-a-long-enough-name-" + QByteArray::number(i));
        QVERIFY(WriteFile(file, Content(int(QRandomGenerator(quint32(i)).bounded(1, 3000)), quint32(i))));
        (i < 40 ? before : added).append(file);
    }
    const QByteArray extra = m_drive->path("c/extra");
    QVERIFY(WriteFile(extra, Content(500, 99)));
    const QByteArray pristine = m_drive->path("pristine.zip");
    QCOMPARE(Call(pristine, before), 0);
    const QByteArray whole = m_drive->path("whole.zip");
    QVERIFY(WriteFile(whole, ReadFile(pristine)));
    QCOMPARE(Call(whole, added), 0);
    const qint64 from = ReadFile(pristine).size(), to = ReadFile(whole).size();
    QVERIFY(to > from);

    const QByteArray archive = m_drive->path("cut.zip");
    int checked = 0;
    for (qint64 limit = from + 1; limit < to; limit += std::max<qint64>(1, (to - from) / 200)) {
        QVERIFY(WriteFile(archive, ReadFile(pristine)));
        const pid_t child = ::fork();
        if (child == 0) {
            const struct rlimit size = {rlim_t(limit), rlim_t(limit)};
            ::setrlimit(RLIMIT_FSIZE, &size); // past it, a write stops short and SIGXFSZ kills
            std::vector<const char *> paths;
            for (const QByteArray &file : added)
                paths.push_back(file.constData());
            m_compress(archive.constData(), paths.data(), int(paths.size()), &CountCallback);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        // The next call mends what the killed one left, and adds to it.
        const QString where = QStringLiteral("cut off at %1 of %2 bytes").arg(limit).arg(to);
        QVERIFY2(Call(archive, {extra}) == 0, qPrintable(where));
        QVERIFY2(EndsClosed(archive, int(before.size()) + 1), qPrintable(where));
        if (++checked % 50 == 0)
            QVERIFY2(ReadZip(archive).ok, qPrintable(where));
    }
    QVERIFY(checked > 150);
}

void TestCompressPlugin::fullDiskLeavesTheArchiveValid()
{
    QVERIFY(m_drive->makeFolder("small"));
    const QByteArray mountPoint = m_drive->path("small");
    const QByteArray copy = m_drive->path("copy.zip");
    const QByteArray little = m_drive->path("little.tmp");
    const QByteArray little2 = m_drive->path("little2.tmp");
    const QByteArray big = m_drive->path("big.tmp");
    QVERIFY(WriteFile(little, Content(2000, 1)));
    QVERIFY(WriteFile(little2, Content(2000, 2)));
    QByteArray noise(3 << 20, '\0');
    QRandomGenerator(9).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    QVERIFY(WriteFile(big, noise));

    // A 512 KB file system of its own, in a mount namespace of a child.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", mountPoint.constData(), "tmpfs", 0, "size=512k") != 0)
            ::_exit(77);
        const QByteArray archive = mountPoint + "/full.zip";
        const char *one[1] = {little.constData()};
        const char *two[1] = {big.constData()};
        const char *three[1] = {little2.constData()};
        int code = 0;
        if (m_compress(archive.constData(), one, 1, &CountCallback) != 0)
            code |= 1;
        if (m_compress(archive.constData(), two, 1, &CountCallback) == 0) // 3 MB of noise cannot fit
            code |= 2;
        struct stat st {};
        if (::stat(archive.constData(), &st) != 0 || st.st_blocks * 512 > 64 * 1024) // the failed part given back
            code |= 16;
        if (m_compress(archive.constData(), three, 1, &CountCallback) != 0) // room is still there for this
            code |= 4;
        const QByteArray command = "cp '" + archive + "' '" + copy + "'";
        if (::system(command.constData()) != 0)
            code |= 8;
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        QSKIP("cannot mount a small tmpfs in a mount namespace here");
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    ExpectHolds(copy, {little, little2});
}

void TestCompressPlugin::fileOverFourGigabytesUsesZip64()
{
    // Sparse: no disk used, but every byte is read and deflated.
    const qint64 size = 5LL << 30;
    QVERIFY(m_drive->makeFile("huge.tmp", size));
    const QByteArray huge = m_drive->path("huge.tmp");
    const QByteArray small = m_drive->path("before.tmp");
    const QByteArray after = m_drive->path("after.tmp");
    QVERIFY(WriteFile(small, "before"));
    QVERIFY(WriteFile(after, "after"));
    const QByteArray archive = m_drive->path("huge.zip");
    QCOMPARE(Call(archive, {small}), 0);
    QCOMPARE(Call(archive, {huge}), 0);
    QCOMPARE(Call(archive, {after}), 0);
    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(listing.entries.size(), 3);
    QCOMPARE(listing.entries[1].size, size);
    QVERIFY(listing.entries[1].compressed < size / 100);
    QCOMPARE(listing.entries[1].crc, Crc32OfZeros(size));
    QCOMPARE(listing.entries[2].sha256, FileSha256(after));
}

// Compressing files whose names the archive holds: the same bytes count as
// stored, other bytes go under the first free numbered name, and the archive
// never holds one name twice, whether its names come from the last call or
// from reading the file again.
void TestCompressPlugin::aNameIsNeverStoredTwice()
{
    const QByteArray archive = m_drive->path("twice.zip");
    QVERIFY(m_drive->makeFolder("same"));
    QList<QByteArray> files;
    for (int i = 0; i < 20; ++i) {
        files.append(m_drive->path("same/f" + QByteArray::number(i) + ".log"));
        QVERIFY(WriteFile(files.last(), Content(100 + i * 37, quint32(i))));
    }
    const QList<QByteArray> odd{"same/.hidden", "same/noext", "same/archive.tar.gz", "same/big.bin"};
    for (const QByteArray &name : odd) {
        files.append(m_drive->path(name));
        QVERIFY(WriteFile(files.last(), Content(name.endsWith(".bin") ? (17 << 20) : 5000, quint32(name.size()))));
    }
    const auto compressEach = [&](const QList<QByteArray> &which) {
        QList<int> renamed;
        for (const QByteArray &file : which) {
            if (Call(archive, {file}) != 0 || g_callbacks != 2)
                return QList<int>{-1};
            renamed.append(m_renamed());
        }
        return renamed;
    };
    const QList<int> none(files.size(), 0);
    QCOMPARE(compressEach(files), none);
    QCOMPARE(compressEach(files), none);
    ExpectHolds(archive, files);

    // New bytes under old names: same size (only the CRC tells), another
    // size, and a file too large to be read into memory.
    const QList<QByteArray> changed{files[7], files[8], m_drive->path("same/.hidden"), m_drive->path("same/noext"),
                                    m_drive->path("same/archive.tar.gz"), m_drive->path("same/big.bin")};
    QMap<QByteArray, QByteArray> oldSums;
    for (const QByteArray &file : changed) {
        oldSums[EntryNameOf(file)] = FileSha256(file);
        QByteArray bytes = ReadAll(file);
        if (file == files[8])
            bytes.append("longer");
        else
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5a);
        QVERIFY(WriteFile(file, bytes));
    }
    QCOMPARE(compressEach(changed), QList<int>(changed.size(), 1));
    // Once more, after another archive was written in between, so that the
    // names are read from the file again: nothing new.
    QCOMPARE(Call(m_drive->path("other.zip"), {files[0]}), 0);
    QCOMPARE(compressEach(changed + files.mid(0, 3)), QList<int>(changed.size() + 3, 0));

    const ZipListing listing = ReadZip(archive);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    const QList<QByteArray> names = listing.Names();
    QCOMPARE(QSet<QByteArray>(names.begin(), names.end()).size(), names.size());
    QCOMPARE(names.size(), files.size() + changed.size());
    const QList<QByteArray> numbered{"same/f7 (2).log", "same/f8 (2).log", "same/.hidden (2)", "same/noext (2)",
                                     "same/archive.tar (2).gz", "same/big (2).bin"};
    for (int i = 0; i < changed.size(); ++i) {
        const QByteArray original = EntryNameOf(changed[i]);
        const QByteArray renamed = EntryNameOf(m_drive->path(numbered[i]));
        QVERIFY2(listing.Find(renamed), renamed.constData());
        QCOMPARE(listing.Find(renamed)->sha256, FileSha256(changed[i]));
        QCOMPARE(listing.Find(original)->sha256, oldSums[original]);
    }
    bool ran = false;
    QString output;
    QVERIFY2(UnzipTestsClean(archive, ran, &output) || !ran, qPrintable(output));
}

QTEST_GUILESS_MAIN(TestCompressPlugin)
#include "tst_compress_plugin.moc"
