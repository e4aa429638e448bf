#pragma once

#include "core/FailedFile.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <vector>

class CActionStep;
class CProtection;
class CResultStore;

// One row an action visits: the file's result index and, for a list on
// screen, the row's position there (-1 otherwise).
struct ActionRow
{
    int row = -1;
    int item = -1;
};

// What a running action tells its front end; every hook may be left as it is.
class CActionHooks
{
public:
    virtual ~CActionHooks() = default;
    // Asked before every row and between two blocks of a long copy: true
    // stops the action. A file whose copy is stopped stays as it was, its
    // row listed and checked.
    virtual bool IsCancelled() { return false; }
    // After each row: `done` of the `total` rows visited.
    virtual void OnProgress(int done, int total)
    {
        (void)done;
        (void)total;
    }
    // Inside one long copy: bytes copied so far of the file's whole.
    virtual void OnBytes(std::int64_t done, std::int64_t total)
    {
        (void)done;
        (void)total;
    }
    virtual void OnRowDone(const ActionRow &row) { (void)row; }
    virtual void OnRowFailed(const ActionRow &row, const FailedFile &failed)
    {
        (void)row;
        (void)failed;
    }
    // After each row: the moment to redraw and to look for a Cancel.
    virtual void OnBetweenRows() {}
};

// How an action ended: the figures both front ends report.
struct ActionOutcome
{
    int total = 0;  // rows given
    int done = 0;   // files the step dealt with
    bool cancelled = false;
    bool refused = false; // the step could use no file (CActionStep::IsRefused)
    QList<FailedFile> failures; // in the order met: last row first
    std::vector<int> doneItems; // result indices dealt with, in the order met
    std::vector<int> freedItems; // those whose blocks left the drive
    // What the freed files were expected to free, and how much the drive's
    // free blocks really grew meanwhile (other programs writing there move
    // that too); `measured` is false when the drive could not be asked
    // before and after, or the step leaves the disk as it was.
    std::int64_t forecastFreedBytes = 0;
    std::int64_t measuredFreedBytes = 0;
    bool measured = false;

    int GetFailedCount() const { return int(failures.size()); }
};

// The one loop every action runs in, for the wizard and the command line
// alike: the given rows from the last to the first (removing a row then
// never moves the rows still to visit), one CActionStep call per row, the
// hooks told of each row, and the end measured on the drive.
class CActionRunner
{
public:
    // `store` holds the files the rows name; `driveRoot` is where they were
    // found, whose free space is measured before and after.
    CActionRunner(CActionStep &step, const CResultStore &store, const QByteArray &driveRoot);

    // Files that must never be touched are refused with FileOpCode::Protected
    // before the step sees them (a list read back from a file may name them).
    void SetProtection(CProtection *protection) { m_pProtection = protection; }

    // Runs the step on `rows`, or on the step's own files when it has any
    // (GetOwnItems), then calls its Finish.
    ActionOutcome Run(const std::vector<ActionRow> &rows, CActionHooks &hooks);

private:
    bool IsProtected(int item) const;

    CActionStep &m_step;
    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    CProtection *m_pProtection = nullptr;
};
