#pragma once

#include "core/ProtectionReason.h"
#include "platform/CUserCredentials.h"

struct WalkRecord;

// Whether the user the program runs as may remove a file the walk met,
// decided from what the walk already knows (the file's owner and attributes,
// its folder's owner, group, mode and attributes): no call per file.
//
// Removing an entry takes write and search permission on its folder; in a
// sticky folder (like /tmp) only the owner of the file or of the folder may
// remove it; nobody removes an immutable or append-only file, nor anything
// from an immutable or append-only folder. The administrator passes the
// permission tests. Access control lists are not read: the mode bits decide.
class CRemovability
{
public:
    explicit CRemovability(CUserCredentials user);

    // None when the file may be removed (or the record does not say enough
    // to tell), else NeedsAdmin or Immutable.
    ProtectionReason Check(const WalkRecord &record) const;

    const CUserCredentials &GetUser() const { return m_user; }

private:
    CUserCredentials m_user;
};
