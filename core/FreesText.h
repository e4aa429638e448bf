#pragma once

#include <QString>
#include <cstdint>

// What removing the checked files frees, as the results page and the
// command line write it: "frees about X" where every byte is sure to come
// back, "frees about X (up to Y)" where Y adds data other files or
// snapshots may share.
QString FormatFrees(std::int64_t surelyBytes, std::int64_t upToBytes);
