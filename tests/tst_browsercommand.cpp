#include <QtTest>

#include "core/CBrowserCommand.h"
#include "core/CLinkOpener.h"
#include "controls/CLinkStatic.h"
#include "platform/CDesktopOpener.h"
#include "platform/CDesktopServices.h"
#include "platform/CDetachedProcess.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUrl>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kAddress = QStringLiteral("https://brimvale.example.org/a b?q=\"x\"&y=$HOME");

void writeFile(const QString &path, const QByteArray &contents, QFile::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
    file.close();
    if (permissions)
        QVERIFY(file.setPermissions(permissions));
}

QByteArray waitForFile(const QString &path)
{
    QFile file(path);
    // The started program writes its record and renames it into place, so
    // the file is complete once it exists. Not a time limit: a guard
    // against waiting forever for a program that never ran.
    for (int nWait = 0; nWait < 1000 && !file.exists(); ++nWait)
        QTest::qWait(10);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("(never written)");
    return file.readAll();
}

const QFile::Permissions kExecutable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// A program that records its arguments, one per line, in `record`.
QByteArray recorderScript(const QString &record)
{
    return "#!/bin/sh\n"
           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record.toUtf8() + ".tmp'\n"
           "mv '" + record.toUtf8() + ".tmp' '" + record.toUtf8() + "'\n";
}

// Services that never reach the desktop; each test fills in what it needs.
struct FakeDesktop
{
    bool bDesktopOpens = false;
    QMap<QString, QString> defaults; // MIME type -> desktop id
    QStringList dataDirs;
    int startError = 0;
    QStringList desktopCalls;
    QList<QStringList> started;

    CLinkOpener opener()
    {
        CLinkOpener::Services services;
        services.openWithDesktop = [this](const QString &address) {
            desktopCalls << address;
            return bDesktopOpens;
        };
        services.defaultApplication = [this](const QString &mimeType) { return defaults.value(mimeType); };
        services.dataDirs = [this] { return dataDirs; };
        services.startDetached = [this](const QStringList &argv) {
            started << argv;
            return startError;
        };
        return CLinkOpener(services);
    }
};

} // namespace

class TestBrowserCommand : public QObject
{
    Q_OBJECT

private slots:
    void cutsAndSplitsExecLines_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("argv");
        const QString a = kAddress;
        QTest::newRow("plain %u") << "firefox %u" << QStringList{"firefox", a};
        QTest::newRow("quoted path, quoted %u")
            << "\"/opt/Web Browser/browser\" \"%u\"" << QStringList{"/opt/Web Browser/browser", a};
        QTest::newRow("option before %U") << "chromium --new-window %U" << QStringList{"chromium", "--new-window", a};
        QTest::newRow("everything after %F goes")
            << "browser --profile x %F --flag" << QStringList{"browser", "--profile", "x", a};
        QTest::newRow("no field code") << "browser --private-window" << QStringList{"browser", "--private-window", a};
        QTest::newRow("%% and deprecated codes")
            << "browser --title=100%% %i %c %k --x=%d%D%n%N%v%m" << QStringList{"browser", "--title=100%", "--x=", a};
        QTest::newRow("%%u is text, not a code")
            << "browser --ratio=5%%u %u" << QStringList{"browser", "--ratio=5%u", a};
        QTest::newRow("escapes in quotes")
            << "\"/opt/b\\\\in/br\\\"ow\\`ser\" \"--home=\\$HOME\" %f"
            << QStringList{"/opt/b\\in/br\"ow`ser", "--home=$HOME", a};
        QTest::newRow("empty quoted argument kept") << "browser \"\" %u" << QStringList{"browser", "", a};
        QTest::newRow("only the first code cuts") << "browser %U %f" << QStringList{"browser", a};
        QTest::newRow("runs of blanks") << "  browser\t --a   %u  " << QStringList{"browser", "--a", a};
    }

    void cutsAndSplitsExecLines()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, argv);
        const CBrowserCommand::Result result = CBrowserCommand::Build(exec, kAddress);
        QCOMPARE(int(result.status), int(CBrowserCommand::Ok));
        QCOMPARE(result.argv, argv);
    }

    void refusesWhatCannotBeRun()
    {
        // The address's own quotes and blanks never matter: it is one argument.
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("\"browser %u"), kAddress).status),
                 int(CBrowserCommand::Malformed));
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("browser \"a\\q\" %u"), kAddress).status),
                 int(CBrowserCommand::Malformed));
        // A code inside a longer quoted argument leaves a quote open.
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("browser \"--url=%u\""), kAddress).status),
                 int(CBrowserCommand::Malformed));
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("%u"), kAddress).status), int(CBrowserCommand::NoCommand));
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("   "), kAddress).status), int(CBrowserCommand::NoCommand));
        QCOMPARE(int(CBrowserCommand::Build(QStringLiteral("%i %c"), kAddress).status), int(CBrowserCommand::NoCommand));
    }

    void longCommandLinesAreRefusedNotCut()
    {
        // "b " + address + terminating zero must fit in 504 bytes.
        const QString program = QStringLiteral("b");
        const QString fits = QString(501, u'x');
        QCOMPARE(int(CBrowserCommand::Build(program + " %u", fits).status), int(CBrowserCommand::Ok));
        QCOMPARE(int(CBrowserCommand::Build(program + " %u", fits + u'x').status), int(CBrowserCommand::TooLong));
        // Bytes, not characters: one 'é' is two bytes.
        QCOMPARE(int(CBrowserCommand::Build(program + " %u", QString(500, u'x') + QChar(0xe9)).status),
                 int(CBrowserCommand::TooLong));
        // What stood after the cut does not count.
        QCOMPARE(int(CBrowserCommand::Build(program + " %u " + QString(600, u'y'), fits).status),
                 int(CBrowserCommand::Ok));
    }

    void readsTheExecOfTheMainGroup()
    {
        const QByteArray entry = "# Exec=commented out\r\n"
                                 "[Desktop Entry]\r\n"
                                 "Name=Web\r\n"
                                 "Exec[de]=german %u\r\n"
                                 "Exec =  \"/opt/My\\sBrowser/run\" \"--dir=C:\\\\\\\\x\" %u\r\n"
                                 "[Desktop Action new-window]\r\n"
                                 "Exec=other --new-window %u\r\n";
        const QString exec = CBrowserCommand::ExecFromDesktopEntry(entry);
        QCOMPARE(exec, QStringLiteral("\"/opt/My Browser/run\" \"--dir=C:\\\\x\" %u"));
        QCOMPARE(CBrowserCommand::Build(exec, kAddress).argv,
                 QStringList({"/opt/My Browser/run", "--dir=C:\\x", kAddress}));

        QVERIFY(CBrowserCommand::ExecFromDesktopEntry("[Desktop Action x]\nExec=a %u\n").isEmpty());
        QVERIFY(CBrowserCommand::ExecFromDesktopEntry("Exec=before any group %u\n").isEmpty());
    }

    void desktopFilesAreLookedForInOrder()
    {
        const QStringList dirs{"/home/u/.local/share", "/usr/share"};
        QCOMPARE(CBrowserCommand::DesktopFileCandidates("web.desktop", dirs),
                 QStringList({"/home/u/.local/share/applications/web.desktop",
                              "/usr/share/applications/web.desktop"}));
        QCOMPARE(CBrowserCommand::DesktopFileCandidates("kde-web-x.desktop", {"/d"}),
                 QStringList({"/d/applications/kde-web-x.desktop", "/d/applications/kde/web-x.desktop",
                              "/d/applications/kde/web/x.desktop"}));
        // Whatever the tool answers, nothing outside the data folders is read.
        QVERIFY(CBrowserCommand::DesktopFileCandidates("../../etc/x.desktop", dirs).isEmpty());
        QVERIFY(CBrowserCommand::DesktopFileCandidates("..desktop", dirs).isEmpty());
        QVERIFY(CBrowserCommand::DesktopFileCandidates("web", dirs).isEmpty());
    }

    void theDesktopComesFirst()
    {
        FakeDesktop desktop;
        desktop.bDesktopOpens = true;
        desktop.defaults["x-scheme-handler/https"] = "web.desktop";
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_OPENED));
        QCOMPARE(desktop.desktopCalls, QStringList{kAddress});
        QVERIFY(desktop.started.isEmpty());
    }

    void theDefaultBrowserStandsIn()
    {
        QTemporaryDir home, system;
        QVERIFY(home.isValid() && system.isValid());
        writeFile(system.filePath("applications/web.desktop"), "[Desktop Entry]\nExec=/usr/bin/systemweb %u\n");
        writeFile(home.filePath("applications/web.desktop"), "[Desktop Entry]\nExec=/home/u/web --flag %U\n");
        writeFile(system.filePath("applications/html.desktop"), "[Desktop Entry]\nExec=htmlview %f\n");

        FakeDesktop desktop;
        desktop.dataDirs = {home.path(), system.path()};
        desktop.defaults["x-scheme-handler/https"] = "web.desktop";
        desktop.defaults["text/html"] = "html.desktop";
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_OPENED));
        QCOMPARE(desktop.started, QList<QStringList>({{"/home/u/web", "--flag", kAddress}}));

        // A handler whose entry is gone: the web-page type's one is used.
        desktop.started.clear();
        desktop.defaults["x-scheme-handler/https"] = "gone.desktop";
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_OPENED));
        QCOMPARE(desktop.started, QList<QStringList>({{"htmlview", kAddress}}));
    }

    void failuresGiveTheirCodes()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        FakeDesktop desktop;
        desktop.dataDirs = {data.path()};
        // Nothing configured.
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_NO_ASSOC));
        desktop.defaults["x-scheme-handler/https"] = "web.desktop";
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_NO_ASSOC));

        writeFile(data.filePath("applications/web.desktop"), "[Desktop Entry]\nName=No command\n");
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_ASSOC_INCOMPLETE));
        writeFile(data.filePath("applications/web.desktop"), "[Desktop Entry]\nExec=\"web %u\n");
        QCOMPARE(desktop.opener().OpenLink(kAddress), int(CLinkOpener::LINK_ASSOC_INCOMPLETE));
        writeFile(data.filePath("applications/web.desktop"), "[Desktop Entry]\nExec=web %u\n");
        QCOMPARE(desktop.opener().OpenLink(QString(600, u'x')), int(CLinkOpener::LINK_OUT_OF_MEMORY));
        QVERIFY(desktop.started.isEmpty());

        const QList<QPair<int, int>> errors{{ENOENT, CLinkOpener::LINK_FILE_NOT_FOUND},
                                            {EACCES, CLinkOpener::LINK_ACCESS_DENIED},
                                            {EPERM, CLinkOpener::LINK_ACCESS_DENIED},
                                            {ENOMEM, CLinkOpener::LINK_OUT_OF_MEMORY},
                                            {ENOEXEC, CLinkOpener::LINK_BAD_FORMAT},
                                            {EAGAIN, CLinkOpener::LINK_OUT_OF_RESOURCES},
                                            {ELOOP, CLinkOpener::LINK_PATH_NOT_FOUND}};
        for (const auto &[error, code] : errors) {
            desktop.startError = error;
            const int result = desktop.opener().OpenLink(kAddress);
            QCOMPARE(result, code);
            QVERIFY(!CLinkOpener::Succeeded(result));
        }
    }

    // The real start, with programs of our own in the temporary folder.
    void startsProgramsWithoutAShell()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString record = dir.filePath("args");
        const QString program = dir.filePath("record me");
        writeFile(program, recorderScript(record), kExecutable);

        const QStringList argv{program, "two words", "; touch " + dir.filePath("pwned"), "$HOME", "'q'", kAddress};
        QCOMPARE(CDetachedProcess::Start(argv), 0);
        QCOMPARE(QString::fromUtf8(waitForFile(record)), argv.mid(1).join(u'\n') + u'\n');
        QVERIFY(!QFile::exists(dir.filePath("pwned")));

        // Nothing is left for us to reap: the program is not our child.
        int status = 0;
        QCOMPARE(::waitpid(-1, &status, WNOHANG), pid_t(-1));
        QCOMPARE(errno, ECHILD);
    }

    void ourDescriptorsStayOurs()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile held(dir.filePath("held"));
        QVERIFY(held.open(QIODevice::WriteOnly));
        // A descriptor opened without close-on-exec, as a library might.
        const int fd = ::fcntl(held.handle(), F_DUPFD, 47);
        QVERIFY(fd >= 47);
        QVERIFY(::fcntl(fd, F_SETFD, 0) == 0);
        const QString record = dir.filePath("fds");
        const QString program = dir.filePath("look");
        writeFile(program,
                  "#!/bin/sh\n"
                  "if [ -e /proc/$$/fd/" + QByteArray::number(fd) + " ]; then r=inherited; else r=closed; fi\n"
                  "echo $r > '" + record.toUtf8() + ".tmp'\n"
                  "mv '" + record.toUtf8() + ".tmp' '" + record.toUtf8() + "'\n",
                  kExecutable);
        QCOMPARE(CDetachedProcess::Start({program}), 0);
        ::close(fd);
        QCOMPARE(waitForFile(record), QByteArray("closed\n"));
    }

    void failedStartsSayWhy()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(CDetachedProcess::Start({dir.filePath("missing")}), ENOENT);
        QCOMPARE(CDetachedProcess::Start({dir.filePath("missing/deeper")}), ENOENT);
        writeFile(dir.filePath("plain"), "#!/bin/sh\nexit 0\n", QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(CDetachedProcess::Start({dir.filePath("plain")}), EACCES);
        QCOMPARE(CDetachedProcess::Start({dir.filePath("plain/x")}), ENOTDIR);
        writeFile(dir.filePath("garbage"), QByteArray("\x7f" "ELF\x01\x02", 6), kExecutable);
        const int garbage = CDetachedProcess::Start({dir.filePath("garbage")});
        QVERIFY2(garbage == ENOEXEC || garbage == EIO, qPrintable(QString::number(garbage)));
        QCOMPARE(CDetachedProcess::Start({}), ENOENT);

        // A bare name is looked up in PATH; a file there that cannot run is
        // reported as refused, not as missing.
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", dir.path().toUtf8());
        const int plain = CDetachedProcess::Start({"plain"});
        const int missing = CDetachedProcess::Start({"no-such-program"});
        qputenv("PATH", savedPath);
        QCOMPARE(plain, EACCES);
        QCOMPARE(missing, ENOENT);
    }

    // The desktop's opener is judged by how it ends, never by its start.
    void theOpenerIsJudgedByItsExitStatus()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString failing = dir.filePath("failing"), opening = dir.filePath("opening"),
                      lingering = dir.filePath("lingering");
        writeFile(failing, "#!/bin/sh\necho tried >> '" + dir.filePath("tries").toUtf8() + "'\nexit 4\n", kExecutable);
        writeFile(opening, recorderScript(dir.filePath("opened")), kExecutable);
        writeFile(lingering, recorderScript(dir.filePath("lingered")) + "exec sleep 5 >/dev/null 2>&1 </dev/null\n", kExecutable);

        CDesktopOpener::Result result = CDesktopOpener({{failing}}).Open(kAddress);
        QVERIFY(!result.opened);
        QCOMPARE(result.exitStatus, 4);
        result = CDesktopOpener({{dir.filePath("missing")}}).Open(kAddress);
        QVERIFY(!result.opened);
        QCOMPARE(result.startError, ENOENT);

        // The first that fails hands over to the next.
        result = CDesktopOpener({{dir.filePath("missing")}, {failing}, {opening, "open"}}).Open(kAddress);
        QVERIFY(result.opened);
        QCOMPARE(QString::fromUtf8(waitForFile(dir.filePath("opened"))), "open\n" + kAddress + u'\n');

        // One that keeps running (a browser in the foreground) took the
        // address; the wait is bounded and leaves no child behind.
        QElapsedTimer timer;
        timer.start();
        QVERIFY(CDesktopOpener({{lingering}}, 300).Open(kAddress).opened);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(QString::fromUtf8(waitForFile(dir.filePath("lingered"))), kAddress + u'\n');
        int status = 0;
        QCOMPARE(::waitpid(-1, &status, WNOHANG), pid_t(-1));

        QCOMPARE(CDesktopOpener::FileUrl("/x/odd\xff dir/%"), QStringLiteral("file:///x/odd%FF%20dir/%25"));
    }

    // The hyperlink's and the guide's whole road with the system's own
    // programs replaced through PATH and the XDG folders: the opener fails,
    // the default browser's desktop entry (field code in quotes) is run.
    void theLinkFallsBackWhenTheOpenerFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString bin = dir.filePath("bin");
        writeFile(bin + "/xdg-open", "#!/bin/sh\nexit 3\n", kExecutable);
        writeFile(bin + "/gio", "#!/bin/sh\nexit 1\n", kExecutable);
        writeFile(bin + "/xdg-mime", "#!/bin/sh\n[ -e '" + dir.filePath("nobrowser").toUtf8() + "' ] || echo web.desktop\n",
                  kExecutable);
        const QString browser = bin + "/web browser";
        writeFile(browser, recorderScript(dir.filePath("browsed")), kExecutable);
        writeFile(dir.filePath("data/applications/web.desktop"),
                  "[Desktop Entry]\nType=Application\nExec=\"" + browser.toUtf8() + "\" \"%u\"\n");
        const QByteArray savedPath = qgetenv("PATH"), savedHome = qgetenv("XDG_DATA_HOME"),
                         savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("PATH", bin.toUtf8() + ":/usr/bin:/bin");
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        qputenv("XDG_DATA_DIRS", dir.filePath("none").toUtf8());

        const int opened = CLinkStatic::OpenLink(kAddress);
        const QByteArray browsed = waitForFile(dir.filePath("browsed"));
        const bool helpOpened = CDesktopServices::OpenDocument(dir.filePath("BVHelp.html"));
        writeFile(dir.filePath("nobrowser"), "");
        const int noBrowser = CLinkStatic::OpenLink(kAddress);
        writeFile(bin + "/gio", "#!/bin/sh\nexit 0\n", kExecutable);
        const int desktopOpens = CLinkStatic::OpenLink(kAddress);
        const bool helpOpensNow = CDesktopServices::OpenDocument(dir.filePath("BVHelp.html"));

        qputenv("PATH", savedPath);
        savedHome.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", savedHome);
        savedDirs.isNull() ? qunsetenv("XDG_DATA_DIRS") : qputenv("XDG_DATA_DIRS", savedDirs);
        QCOMPARE(opened, int(CLinkOpener::LINK_OPENED));
        QCOMPARE(QString::fromUtf8(browsed), kAddress + u'\n');
        QVERIFY(!helpOpened);
        QCOMPARE(noBrowser, int(CLinkOpener::LINK_NO_ASSOC));
        QCOMPARE(desktopOpens, int(CLinkOpener::LINK_OPENED));
        QVERIFY(helpOpensNow);
    }

    void theWholeRoadToARealProgram()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString record = dir.filePath("args");
        const QString program = dir.filePath("bin/web browser");
        writeFile(program, recorderScript(record), kExecutable);
        writeFile(dir.filePath("data/applications/vendor/web.desktop"),
                  "[Desktop Entry]\nType=Application\nExec=\"" + program.toUtf8() + "\" --new-tab \"%u\"\n");

        CLinkOpener::Services services;
        services.openWithDesktop = [](const QString &) { return false; };
        services.defaultApplication = [](const QString &mimeType) {
            return mimeType == QLatin1String("text/html") ? QStringLiteral("vendor-web.desktop") : QString();
        };
        services.dataDirs = [&dir] { return QStringList{dir.filePath("data")}; };
        services.startDetached = &CDetachedProcess::Start;
        QCOMPARE(CLinkOpener(services).OpenLink(kAddress), int(CLinkOpener::LINK_OPENED));
        QCOMPARE(QString::fromUtf8(waitForFile(record)), "--new-tab\n" + kAddress + u'\n');

        QFile::remove(program);
        QCOMPARE(CLinkOpener(services).OpenLink(kAddress), int(CLinkOpener::LINK_FILE_NOT_FOUND));
    }
};

QTEST_GUILESS_MAIN(TestBrowserCommand)
#include "tst_browsercommand.moc"
