// The wizard's own command line, read before any window opens: help and
// version without a display, unknown options refused, the toolkit's own
// options let through, and a missing display said plainly instead of an
// abort inside the toolkit.
#include "app/CWizardOptions.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

using Action = CWizardOptions::Action;
Q_DECLARE_METATYPE(CWizardOptions::Action)

class TestWizardOptions : public QObject
{
    Q_OBJECT

private slots:
    void judgedBeforeTheDisplay_data();
    void judgedBeforeTheDisplay();
    void programAnswersWithoutADisplay_data();
    void programAnswersWithoutADisplay();
};

void TestWizardOptions::judgedBeforeTheDisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("environment"); // the one variable set, NAME=value, or empty
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text"); // part of what is printed

    const auto row = [](const char *name, QStringList args, const char *env, Action action, int status,
                        const char *text) {
        QTest::newRow(name) << args << QString::fromLatin1(env) << action << status << QString::fromUtf8(text);
    };
    row("no arguments on X11", {}, "DISPLAY=:0", Action::OpenWizard, 0, "");
    row("Wayland alone", {}, "WAYLAND_DISPLAY=wayland-0", Action::OpenWizard, 0, "");
    row("platform variable", {}, "QT_QPA_PLATFORM=offscreen", Action::OpenWizard, 0, "");
    row("-platform option", {"-platform", "offscreen"}, "", Action::OpenWizard, 0, "");
    row("--platform=", {"--platform=offscreen"}, "", Action::OpenWizard, 0, "");
    row("toolkit options", {"-style", "fusion", "-reverse", "--qwindowtitle=x"}, "DISPLAY=:0", Action::OpenWizard, 0, "");
    row("no display", {}, "", Action::NoDisplay, 1, "needs a graphical display");
    row("empty DISPLAY", {}, "DISPLAY=", Action::NoDisplay, 1, "no display found");
    row("-style is no platform", {"-style", "fusion"}, "", Action::NoDisplay, 1, "brimvale-cli");
    row("--help", {"--help"}, "", Action::PrintHelp, 0, "Usage: brimvale");
    row("-h after a toolkit option", {"-style", "x", "-h"}, "", Action::PrintHelp, 0, "--version");
    row("--version", {"--version"}, "", Action::PrintVersion, 0, "brimvale " BV_VERSION);
    row("-V", {"-V"}, "", Action::PrintVersion, 0, BV_VERSION);
    row("unknown option", {"--frobnicate"}, "DISPLAY=:0", Action::BadUsage, 2, "unknown option --frobnicate");
    row("unknown before --help", {"-x", "--help"}, "", Action::BadUsage, 2, "Try 'brimvale --help'");
    row("an argument", {"/home"}, "DISPLAY=:0", Action::BadUsage, 2, "takes no arguments, not '/home'");
    row("a lone dash", {"-"}, "DISPLAY=:0", Action::BadUsage, 2, "takes no arguments");
    row("value missing", {"-platform"}, "", Action::BadUsage, 2, "option -platform needs a value");
    row("escaped in the message", {"--\x1b[31mred"}, "", Action::BadUsage, 2, "\\x1b[31mred");
}

void TestWizardOptions::judgedBeforeTheDisplay()
{
    QFETCH(QStringList, args);
    QFETCH(QString, environment);
    QFETCH(Action, action);
    QFETCH(int, status);
    QFETCH(QString, text);
    QList<QByteArray> raw;
    for (const QString &arg : args)
        raw.append(arg.toUtf8());
    const QString name = environment.section(QLatin1Char('='), 0, 0);
    const CWizardOptions options = CWizardOptions::Parse(raw, [&](const char *variable) {
        return QLatin1String(variable) == name ? environment.section(QLatin1Char('='), 1).toUtf8() : QByteArray();
    });
    QCOMPARE(options.GetAction(), action);
    QCOMPARE(options.GetExitStatus(), status);
    QVERIFY2(options.GetText().contains(text), qPrintable(options.GetText()));
    QVERIFY(!options.GetText().contains(QChar(0x1b)));
}

void TestWizardOptions::programAnswersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("Usage: brimvale") << QByteArray();
    QTest::newRow("version") << QStringList{"-V"} << 0 << QByteArray("brimvale " BV_VERSION "\n") << QByteArray();
    QTest::newRow("unknown") << QStringList{"--bogus"} << 2 << QByteArray() << QByteArray("unknown option --bogus");
    QTest::newRow("no display") << QStringList{} << 1 << QByteArray() << QByteArray("no display found");
}

void TestWizardOptions::programAnswersWithoutADisplay()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BV_WIZARD_PATH), args);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QByteArray gotOut = process.readAllStandardOutput();
    const QByteArray gotErr = process.readAllStandardError();
    QVERIFY2(out.isEmpty() ? gotOut.isEmpty() : gotOut.startsWith(out), gotOut.constData());
    QVERIFY2(err.isEmpty() ? gotErr.isEmpty() : gotErr.contains(err), gotErr.constData());
}

QTEST_GUILESS_MAIN(TestWizardOptions)
#include "tst_wizardoptions.moc"
