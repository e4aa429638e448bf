#include "core/CRemovability.h"

#include "platform/WalkRecord.h"

#include <sys/stat.h>
#include <utility>

namespace {

constexpr std::uint64_t kNoRemoval = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;

} // namespace

CRemovability::CRemovability(CUserCredentials user) : m_user(std::move(user)) {}

ProtectionReason CRemovability::Check(const WalkRecord &record) const
{
    if (record.attributes & kNoRemoval)
        return ProtectionReason::Immutable;
    if (!record.chain || record.chainLength <= 0)
        return ProtectionReason::None; // a record not made by a walk: its action will tell
    const WalkFolder &folder = record.chain[record.chainLength - 1];
    if (folder.attributes & kNoRemoval)
        return ProtectionReason::Immutable;
    if (m_user.IsAdministrator())
        return ProtectionReason::None;
    // The class of the folder's permissions that applies: owner, group, others.
    std::uint32_t bits = folder.mode;
    if (folder.ownerId == m_user.userId)
        bits >>= 6;
    else if (m_user.InGroup(folder.groupId))
        bits >>= 3;
    if ((bits & (S_IWOTH | S_IXOTH)) != (S_IWOTH | S_IXOTH))
        return ProtectionReason::NeedsAdmin;
    if ((folder.mode & S_ISVTX) && record.ownerId != m_user.userId && folder.ownerId != m_user.userId)
        return ProtectionReason::NeedsAdmin;
    return ProtectionReason::None;
}
