#include "core/FileOpReason.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <cstring>

QString DescribeFileOp(const FileOpResult &result)
{
    switch (result.code) {
    case FileOpCode::Ok:
        return LoadString(IDS_REASON_OK);
    case FileOpCode::Gone:
        return LoadString(IDS_REASON_GONE);
    case FileOpCode::Replaced:
        return LoadString(IDS_REASON_REPLACED);
    case FileOpCode::Permission:
        return LoadString(IDS_REASON_PERMISSION);
    case FileOpCode::Changed:
        return LoadString(IDS_REASON_CHANGED);
    case FileOpCode::LeftAside:
        return LoadString(IDS_REASON_LEFT_ASIDE);
    case FileOpCode::Protected:
        return LoadString(IDS_REASON_PROTECTED);
    case FileOpCode::AlreadyThere:
        return LoadString(IDS_REASON_ALREADY_THERE);
    case FileOpCode::Failed:
        break;
    }
    QString text = LoadString(IDS_REASON_FAILED);
    text.replace(QLatin1String("%s"), QString::fromLocal8Bit(std::strerror(result.error)));
    return text;
}
