#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>

class CFileScan;
class CResultsPage;

// A time (2100-01-01) by which every file a test makes is old work.
constexpr std::int64_t kOldWorkNow = 4102444800;

// The results page as the tests of its scan and actions use it: alone,
// shown, scanning the folder `driveRoot` stands for a drive, its clock at
// kOldWorkNow.
std::unique_ptr<CResultsPage> ShowResultsPage(CFileScan &scan, const QByteArray &driveRoot);

// Activates the page, which starts its scan, and waits (20 s at most) until
// the scan has ended. False when it has not.
bool ScanToEnd(CResultsPage &page);
// Whether the page's scan, started or pending, has ended.
bool ScanEnded(CResultsPage &page);
