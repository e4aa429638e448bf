#pragma once

#include <cstdint>

// Why a file is never offered for an action. The order is the order of the
// checks: the first reason found is the one reported.
enum class ProtectionReason : std::uint8_t {
    None = 0,
    PackageOwned = 1,    // installed by the package manager
    InUse = 2,           // held open or mapped by a running process
    ProtectedFolder = 3, // below a folder that installed software or the user's keys need
};

constexpr int kProtectionReasonCount = 4;

// String id of the reason's short text; 0 for None.
int ProtectionReasonTextId(ProtectionReason reason);
