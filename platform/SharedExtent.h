#pragma once

#include <cstdint>

// A run of a file's data that the file system says other files (reflinked
// copies, snapshots) may own as well: removing the file frees it only when
// every owner goes. `physical` is where it lies on the device, so that the
// owners a scan meets can be matched; 0 when no owner can be matched with
// it (data kept inline). `kept`: an owner no scan can list holds it (a
// snapshot), so it never surely comes back.
struct SharedExtent
{
    std::uint64_t physical = 0;
    std::uint64_t length = 0;
    bool kept = false;
    // How many files own it, where the file system could count them (0
    // where it cannot): the scan must meet them all before it is sure.
    std::uint32_t owners = 0;
    bool operator==(const SharedExtent &other) const = default;
};
