#pragma once

#include "core/CFileScan.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Everything one run of brimvale-cli was asked to do.
struct CliRequest
{
    enum Command { None, Help, Version, Scan, Delete, Move, Zip, Recover };

    Command command = None;

    // scan
    CFileScan criteria;       // Express unless a Custom criterion is given
    QByteArray drive;         // as given
    bool print0 = false;
    bool csv = false;         // --format csv: the results page's saved list
    bool json = false;        // --format json: one document, figures and files
    bool noProgress = false;  // --no-progress
    bool summary = false;
    int sortColumn = -1;      // a ResultColumn, -1 for the walk's order
    bool reverse = false;
    QByteArray savePath;      // empty: no list is written

    // actions
    bool dryRun = false;
    bool preservePath = false;
    QByteArray listPath;
    QByteArray folder;        // move
    QByteArray archive;       // zip
};

// Reads the arguments (raw bytes, as the shell passed them) into a request.
// Only the form is judged here; whether paths exist is the command's matter.
class CCommandLine
{
public:
    // False with `error` set to a message for the user when the arguments do
    // not form a request.
    static bool Parse(const QList<QByteArray> &args, CliRequest &request, QString &error);

    // "YYYY-MM-DD" naming a real day; false otherwise.
    static bool ParseDate(const QByteArray &text, int &year, int &month, int &day);
    // A whole number of KB that the criteria record can hold.
    static bool ParseKilobytes(const QByteArray &text, long &value);
};
