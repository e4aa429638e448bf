#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The one way a byte count is written: B up to 1000, then KB and MB (1024 and
// 1048576 bytes) with a two-digit fraction that is cut, never rounded; sizes
// from 1,024,000 bytes up are shown in MB, however large. The fraction
// follows the default locale's decimal separator.
QString FormatSize(std::int64_t bytes);

// Size text of the free space of the file system holding `root`; empty when
// the system cannot report it, so that no made-up figure is shown.
QString GetFreeSpaceText(const QByteArray &root);
