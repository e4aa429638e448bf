#include "platform/CUserCredentials.h"

#include "platform/CMarkerFiles.h"

#include <QByteArray>
#include <algorithm>
#include <unistd.h>

bool CUserCredentials::InGroup(gid_t group) const
{
    return std::find(groupIds.begin(), groupIds.end(), group) != groupIds.end();
}

CUserCredentials CUserCredentials::Current()
{
    CUserCredentials user;
    user.userId = ::geteuid();
    user.groupIds.push_back(::getegid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, groups.data());
        if (got > 0)
            user.groupIds.insert(user.groupIds.end(), groups.begin(), groups.begin() + got);
    }
    return user;
}

bool CUserCredentials::HasRunningSession(uid_t userId)
{
    return userId == ::geteuid()
           || CMarkerFiles::KindAt("/run/user/" + QByteArray::number(quint64(userId))) == CMarkerFiles::Kind::Folder;
}
