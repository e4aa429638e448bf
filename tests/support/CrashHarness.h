#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <random>
#include <sys/types.h>

// Runs one action on a few hundred files in a child process, kills the child
// with SIGKILL at a random (seeded) moment of the action, puts right what it
// left (the start-up recovery) and accounts for every file by its content.
//
// The files lie below `work`/src; a Move goes to `work`/dst (same file
// system) or `other`/dst (another one); Compress writes `work`/out.zip.
class CrashHarness
{
public:
    enum class Action {
        Delete,
        MoveSame,
        MoveSamePreserve,
        MoveAcross,
        MoveAcrossPreserve,
        MoveAcrossNamed, // through named temporary files, as where O_TMPFILE is missing
        Compress,
        Undo,            // of a whole cross-device Move with Preserve Path
    };
    static QList<Action> AllActions() { return {Action::Delete, Action::MoveSame, Action::MoveSamePreserve,
                                                Action::MoveAcross, Action::MoveAcrossPreserve, Action::MoveAcrossNamed,
                                                Action::Compress, Action::Undo}; }
    static const char *Name(Action action);
    static bool CrossesFileSystems(Action action);

    struct Outcome
    {
        int files = 0;        // files made
        int done = 0;         // at the destination (or deleted, or stored) only
        int untouched = 0;    // at their own place only
        int lost = 0;         // nowhere, or with other content (deleted files aside)
        int both = 0;         // at their own place and at the destination
        int hidden = 0;       // names the action gives while it works (set aside)
        int partial = 0;      // temporary files and partial archives
        int strays = 0;       // any other file found
        bool killed = false;  // the child was killed before it ended
        bool Clean() const { return lost == 0 && both == 0 && hidden == 0 && partial == 0 && strays == 0; }
    };

    // `pluginDir` holds the compression plug-in (empty: no Compress).
    CrashHarness(const QByteArray &work, const QByteArray &other, const QByteArray &pluginDir, int files,
                 std::uint32_t seed);

    // One run: a fresh tree, the child killed at a random moment, the
    // recovery (unless `recover` is false), and what was found.
    Outcome RunOnce(Action action, bool recover = true);

private:
    bool MakeTree();
    void RunChild(Action action, int readyFd);
    // Forks a child that runs `action` and returns once the action begins;
    // -1 when no child could be started.
    pid_t StartChild(Action action, int &readyFd);
    Outcome Inspect(Action action);
    QByteArray DestinationRoot(Action action) const;
    // Microseconds a whole run of `action` takes, measured once.
    int Duration(Action action);

    QByteArray m_work;
    QByteArray m_other;
    QByteArray m_pluginDir;
    int m_nFiles;
    std::mt19937 m_random;
    QList<QByteArray> m_contents;  // by file number
    QList<QByteArray> m_relative;  // below src, by file number
    int m_durations[8] = {};
    int m_nArchivesRead = 0;
};
