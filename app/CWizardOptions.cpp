#include "app/CWizardOptions.h"

#include "core/PathEscape.h"

#include <iterator>

namespace {

// Printed before any window or translator exists: English, as the manual page.
const char kUsage[] = "Usage: brimvale [-h | --help | -V | --version]\n"
                      "\n"
                      "Opens the Brimvale wizard: it finds the files you no longer need on a fixed\n"
                      "drive and deletes, moves or zips the ones you check. It needs a graphical\n"
                      "display; brimvale-cli runs the same search from a shell.\n"
                      "\n"
                      "  -h, --help       show this help and exit\n"
                      "  -V, --version    show the version and exit\n"
                      "\n"
                      "The Qt toolkit's own options, such as -platform NAME or -style NAME, are\n"
                      "accepted as well.";
const char kTryHelp[] = "\nTry 'brimvale --help' for more information.";
const char kNoDisplay[] = "brimvale: no display found (DISPLAY and WAYLAND_DISPLAY are not set):\n"
                          "the wizard needs a graphical display; brimvale-cli runs the same search from a shell.";

// The toolkit's command-line options: those that take a value, then those
// that do not. Each may be written with one dash or two, and a value also
// after '='.
const char *const kToolkitOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "style", "stylesheet", "session", "display", "geometry", "name", "title", "visual",
};
const char *const kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};

bool IsOneOf(const QByteArray &word, const char *const *names, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (word == names[i])
            return true;
    }
    return false;
}

QString Shown(const QByteArray &arg)
{
    return QString::fromUtf8(EscapePath(arg));
}

QString BadUsage(const char *format, const QString &value)
{
    return QString::fromLatin1(format).arg(value) + QLatin1String(kTryHelp);
}

} // namespace

CWizardOptions CWizardOptions::Parse(const QList<QByteArray> &args, const Environment &environment)
{
    CWizardOptions options;
    bool platformGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray &arg = args[i];
        if (arg == "-h" || arg == "--help") {
            options.m_action = Action::PrintHelp;
            options.m_text = QString::fromLatin1(kUsage);
            return options;
        }
        if (arg == "-V" || arg == "--version") {
            options.m_action = Action::PrintVersion;
            options.m_text = QStringLiteral("brimvale " BV_VERSION);
            return options;
        }
        QByteArray name = arg.startsWith("--") ? arg.mid(2) : arg.startsWith('-') ? arg.mid(1) : QByteArray();
        const qsizetype equals = name.indexOf('=');
        const bool valueAttached = equals >= 0;
        if (valueAttached)
            name.truncate(equals);
        if (IsOneOf(name, kToolkitOptionsWithValue, std::size(kToolkitOptionsWithValue))) {
            if (!valueAttached && ++i >= args.size()) {
                options.m_action = Action::BadUsage;
                options.m_text = BadUsage("brimvale: option %1 needs a value", Shown(arg));
                return options;
            }
            platformGiven = platformGiven || name == "platform";
            continue;
        }
        if (!name.isEmpty() && IsOneOf(name, kToolkitFlags, std::size(kToolkitFlags)))
            continue;
        options.m_action = Action::BadUsage;
        options.m_text = arg.startsWith('-') && arg.size() > 1
                             ? BadUsage("brimvale: unknown option %1", Shown(arg))
                             : BadUsage("brimvale: the wizard takes no arguments, not '%1'", Shown(arg));
        return options;
    }
    // Without a platform named, the toolkit picks X11 or Wayland from these
    // and aborts when neither is there.
    if (!platformGiven && environment("QT_QPA_PLATFORM").isEmpty() && environment("DISPLAY").isEmpty()
        && environment("WAYLAND_DISPLAY").isEmpty()) {
        options.m_action = Action::NoDisplay;
        options.m_text = QString::fromLatin1(kNoDisplay);
    }
    return options;
}

int CWizardOptions::GetExitStatus() const
{
    switch (m_action) {
    case Action::OpenWizard:
    case Action::PrintHelp:
    case Action::PrintVersion:
        return 0;
    case Action::NoDisplay:
        return 1;
    case Action::BadUsage:
        break;
    }
    return 2;
}
