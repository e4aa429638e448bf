#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// What the wizard's own command line asks for, judged before anything of
// the window system is touched: --help and --version must work over ssh,
// and a missing display must be said plainly rather than end in an abort
// inside the toolkit.
class CWizardOptions
{
public:
    enum class Action { OpenWizard, PrintHelp, PrintVersion, BadUsage, NoDisplay };

    // Reads an environment variable; empty when it is not set.
    using Environment = std::function<QByteArray(const char *name)>;

    // `args` without the program's name. The toolkit's own options
    // (-platform NAME, -style=NAME, ...) are let through for it to read.
    static CWizardOptions Parse(const QList<QByteArray> &args, const Environment &environment);

    Action GetAction() const { return m_action; }
    // What to print: the help or version on standard output, or the
    // message on standard error, each without a final line break.
    const QString &GetText() const { return m_text; }
    // The status to exit with when the wizard is not opened.
    int GetExitStatus() const;

private:
    Action m_action = Action::OpenWizard;
    QString m_text;
};
