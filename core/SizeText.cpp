#include "core/SizeText.h"

#include "platform/CDiskSpace.h"

#include <QLocale>

#include <limits>

namespace {

constexpr std::int64_t kKilo = 1024;
constexpr std::int64_t kMega = 1024 * 1024;

QString WithFraction(std::int64_t whole, std::int64_t hundredths, const char *unit)
{
    if (hundredths == 0)
        return QStringLiteral("%1 %2").arg(whole).arg(QLatin1String(unit));
    // The user's decimal separator ("1,50 MB" in German); the C locale of
    // scripts and tests keeps the point.
    return QStringLiteral("%1%2%3 %4")
        .arg(whole)
        .arg(QLocale().decimalPoint())
        .arg(hundredths, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(unit));
}

} // namespace

QString FormatSize(std::int64_t bytes)
{
    if (bytes < 0) {
        // Sizes are never negative; a negative figure would come from a
        // miscounted total and is shown as such rather than wrapped.
        if (bytes == std::numeric_limits<std::int64_t>::min())
            bytes += 1;
        return QLatin1Char('-') + FormatSize(-bytes);
    }
    // The hundredths come from the remainder, so bytes × 100 never overflows.
    const std::int64_t mb = bytes / kMega;
    if (mb >= 1)
        return WithFraction(mb, (bytes % kMega) * 100 / kMega, "MB");
    const std::int64_t kb = bytes / kKilo;
    if (kb == 0) {
        if (bytes <= 1000)
            return QStringLiteral("%1 B").arg(bytes);
        return WithFraction(0, bytes * 100 / kKilo, "KB");
    }
    if (kb >= 1000)
        return WithFraction(0, bytes * 100 / kMega, "MB");
    return WithFraction(kb, (bytes % kKilo) * 100 / kKilo, "KB");
}

QString GetFreeSpaceText(const QByteArray &root)
{
    const DiskSpace space = CDiskSpace::Query(root);
    if (!space.ok)
        return QString();
    return FormatSize(space.freeBytes);
}
