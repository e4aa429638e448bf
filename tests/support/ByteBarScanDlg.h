#pragma once

#include "scan/CScanDlg.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

// A scan window on a drive whose file system does not count its entries, so
// that its bar measures bytes; given a total, the bar spans exactly that many
// bytes (a test's own files), else the drive's bytes in use.
class ByteBarScanDlg : public CScanDlg
{
public:
    ByteBarScanDlg() = default;
    explicit ByteBarScanDlg(std::int64_t totalBytes) : m_totalBytes(totalBytes) {}

protected:
    std::int64_t QueryEntriesInUse(const QByteArray &) const override { return 0; }
    std::int64_t QueryBytesInUse(const QByteArray &drive) const override
    {
        return m_totalBytes ? *m_totalBytes : CScanDlg::QueryBytesInUse(drive);
    }

private:
    std::optional<std::int64_t> m_totalBytes;
};
