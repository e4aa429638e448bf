#pragma once

#include <sys/types.h>
#include <vector>

// Who the program acts as: what decides whether it may remove a file.
struct CUserCredentials
{
    uid_t userId = 0;
    std::vector<gid_t> groupIds; // the effective group first, then the supplementary ones

    bool IsAdministrator() const { return userId == 0; }
    bool InGroup(gid_t group) const;

    // The process's effective user and groups.
    static CUserCredentials Current();
    // Whether the user `userId` has a session running on this machine now
    // (the login manager keeps a runtime folder for each).
    static bool HasRunningSession(uid_t userId);
};
