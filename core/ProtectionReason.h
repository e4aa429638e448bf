#pragma once

#include <QString>
#include <cstdint>

// Why a file is never offered for an action. The order is the order of the
// checks: the first reason found is the one reported. Up to 15 reasons fit
// where the result store keeps a locked file's reason.
enum class ProtectionReason : std::uint8_t {
    None = 0,
    PackageOwned = 1,    // installed by the package manager
    InUse = 2,           // held open or mapped by a running process, or under a lock
    ProtectedFolder = 3, // below a folder that installed software or the user's keys need
    Backup = 4,          // part of a backup: a snapshot tree or a backup repository
    DesktopSession = 5,  // a cache a running desktop session keeps mapped or rebuilds only at login
    NeedsAdmin = 6,      // the user may not remove it: its folder's permissions say no
    Immutable = 7,       // nobody may remove it: it or its folder is immutable or append-only
};

constexpr int kProtectionReasonCount = 8;

// Whether the reason only says that this user may not remove the file,
// rather than that it must stay.
constexpr bool IsRemovalRefused(ProtectionReason reason)
{
    return reason == ProtectionReason::NeedsAdmin || reason == ProtectionReason::Immutable;
}

// String id of the reason's short text; 0 for None.
int ProtectionReasonTextId(ProtectionReason reason);

// Why a file protected for `reason` is listed locked, as a list shows it.
QString LockedReasonText(ProtectionReason reason);
