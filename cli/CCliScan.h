#pragma once

#include "core/CCsvListWriter.h"
#include "core/CFreeForecast.h"
#include "core/CResultStore.h"
#include "core/CScanSession.h"
#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdint>
#include <optional>
#include <vector>

struct CliRequest;
class COutput;

// `brimvale-cli scan`: runs the wizard's scan session on DRIVE (the same
// walk, matching and protection, the same rows in the same states: checked,
// unchecked live work, locked protected files) and writes the listed files
// to standard output (and to a list file with --save). Only checked files
// are ones an action takes. Returns the exit status. A trash entry is one
// line, as on the results page (CTrashGrouper hands it on).
class CCliScan : public CMatchSink, public CScanProgress
{
public:
    explicit CCliScan(const CliRequest &request);
    int Run();

    void AddMatch(const ScanMatch &match) override;
    void OnFileMet(const WalkRecord &record) override;

    // An ISO 8601 date and time (local time without an offset) in seconds
    // since 1970; false when `text` is none.
    static bool ParseNow(const QByteArray &text, std::int64_t &seconds);

private:
    bool ResolveDrive();
    bool CheckSaveTarget();
    // The fixed time of BRIMVALE_NOW, when set, for the scan to judge live work by.
    bool ReadNow(std::optional<std::int64_t> &now) const;
    void WriteLine(const char *path, qsizetype pathSize, std::int64_t size, std::int64_t modified,
                   const QString &reason, bool bChecked);
    // `item`: the file's index in the forecast.
    void WriteCsvRecord(const WalkRecord &record, const QString &reason, bool bChecked, int item);
    // A row of the CSV or JSON list.
    void WriteRow(const CCsvListWriter::Row &row);
    void FlushIfDue();
    void WriteStored(const std::vector<int> &order);
    bool SaveList(const std::vector<int> &order);
    // A trash entry's files, each with its identity, and its information.
    void AppendTrashEntry(QByteArray &text, int index) const;
    void PrintSummary(const ScanOutcome &outcome) const;
    void ShowProgress(bool force);
    void ClearProgress();

    const CliRequest &m_request;
    QByteArray m_root;              // the drive, absolute and without links
    bool m_bKeep = false;           // the files are kept for a sort or a list
    bool m_bStream = true;          // lines are written as files are found
    bool m_bProgress = false;
    bool m_bOutOnTerminal = false;  // the list and the progress line share a terminal

    CResultStore m_store;
    std::vector<FileIdentity> m_identities;  // by result index
    COutput *m_pOut = nullptr;
    QByteArray m_path;              // scratch: folder + '/' + name

    std::int64_t m_nExamined = 0;
    std::int64_t m_nListed = 0;
    std::int64_t m_nListedBytes = 0;
    std::int64_t m_nSelected = 0;   // listed checked: what an action would take
    std::int64_t m_nSelectedBytes = 0;
    CFreeForecast m_forecast;       // what removing every listed file frees
    std::int64_t m_nWritten = 0;    // rows of a CSV or JSON list

    QElapsedTimer m_clock;
    std::int64_t m_nNextProgressMs = 0;
    bool m_bProgressShown = false;
};
