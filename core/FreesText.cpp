#include "core/FreesText.h"

#include "core/SizeText.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

QString FormatFrees(std::int64_t surelyBytes, std::int64_t upToBytes)
{
    if (upToBytes <= surelyBytes)
        return FormatString(IDS_FREES_ABOUT, {FormatSize(surelyBytes)});
    return FormatString(IDS_FREES_ABOUT_UP_TO, {FormatSize(surelyBytes), FormatSize(upToBytes)});
}
