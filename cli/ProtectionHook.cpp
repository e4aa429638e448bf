#include "cli/ProtectionHook.h"

#include "core/CProtection.h"
#include "platform/WalkRecord.h"

#include <map>
#include <memory>

namespace {

CProtection &ProtectionFor(const QByteArray &driveRoot)
{
    static std::map<QByteArray, std::unique_ptr<CProtection>> loaded;
    std::unique_ptr<CProtection> &protection = loaded[driveRoot];
    if (!protection) {
        protection = CProtection::ForDrive(driveRoot);
        protection->Load();
    }
    return *protection;
}

} // namespace

bool IsProtectedFile(const QByteArray &driveRoot, const WalkRecord &record)
{
    return ProtectionFor(driveRoot).Check(record) != ProtectionReason::None;
}

QString ProtectionSummary(const QByteArray &driveRoot)
{
    CProtection &protection = ProtectionFor(driveRoot);
    return CProtection::SummaryText(protection.GetCounts(), false, protection.GetUnreadableProcesses());
}
