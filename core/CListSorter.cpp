#include "core/CListSorter.h"

#include <QAbstractItemModel>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// One row's key, made once per sort. Rows without a value (a date that does
// not read, a number that is not one) form their own class, placed before
// every row with a value, so the order stays total.
struct SortKey
{
    bool bHasValue = true;
    qint64 nValue = 0;
    double dValue = 0.0;
    QString strValue;
};

bool IsCSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\n' || u == '\v' || u == '\f' || u == '\r';
}

bool IsDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool IsIntegerValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool IsFloatValue(const QVariant &value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

QStringList DateFormats()
{
    const QLocale locale;
    QStringList formats;
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        formats << locale.dateTimeFormat(type) << locale.dateFormat(type);
    }
    formats.removeDuplicates();
    return formats;
}

QDateTime ParseWith(const QString &text, const QStringList &formats)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QDateTime();
    const QLocale locale;
    for (const QString &format : formats) {
        const QDateTime when = locale.toDateTime(trimmed, format);
        if (!when.isValid())
            continue;
        // A two-digit year reads as 19yy; the dates a list shows are
        // rarely older than 1950, so 00 to 49 are taken as 20yy.
        const bool bShortYear = format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
        return bShortYear && when.date().year() < 1950 ? when.addYears(100) : when;
    }
    for (Qt::DateFormat format : {Qt::ISODateWithMs, Qt::RFC2822Date, Qt::TextDate}) {
        const QDateTime when = QDateTime::fromString(trimmed, format);
        if (when.isValid())
            return when;
    }
    const QDate date = QDate::fromString(trimmed, Qt::ISODate);
    return date.isValid() ? date.startOfDay() : QDateTime();
}

SortKey MakeKey(const QVariant &value, int nType, const QStringList &dateFormats)
{
    SortKey key;
    switch (nType) {
    case CListSorter::TypeInteger:
        if (IsIntegerValue(value))
            key.nValue = value.toLongLong();
        else
            key.nValue = CListSorter::LeadingInteger(value.toString());
        break;
    case CListSorter::TypeText:
        key.strValue = value.toString().toCaseFolded();
        break;
    case CListSorter::TypeDate: {
        QDateTime when;
        if (value.typeId() == QMetaType::QDateTime)
            when = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            when = value.toDate().startOfDay();
        else
            when = ParseWith(value.toString(), dateFormats);
        key.bHasValue = when.isValid();
        key.nValue = key.bHasValue ? when.toMSecsSinceEpoch() : 0;
        break;
    }
    case CListSorter::TypeDecimal:
        key.dValue = (IsFloatValue(value) || IsIntegerValue(value)) ? value.toDouble()
                                                                   : CListSorter::LeadingDecimal(value.toString());
        key.bHasValue = !std::isnan(key.dValue);
        break;
    default:
        break;
    }
    return key;
}

bool KeyLess(const SortKey &a, const SortKey &b, int nType)
{
    if (a.bHasValue != b.bHasValue)
        return !a.bHasValue;
    switch (nType) {
    case CListSorter::TypeInteger:
    case CListSorter::TypeDate:
        return a.nValue < b.nValue;
    case CListSorter::TypeText:
        return a.strValue < b.strValue;
    case CListSorter::TypeDecimal:
        return a.bHasValue && a.dValue < b.dValue;
    default:
        return false;
    }
}

} // namespace

CListSorter::CListSorter(const QAbstractItemModel *model, int column, int role)
{
    if (!model || column < 0 || column >= model->columnCount())
        return;
    const int rows = model->rowCount();
    m_values.reserve(rows);
    for (int row = 0; row < rows; ++row)
        m_values.append(model->data(model->index(row, column), role));
}

CListSorter::CListSorter(QVector<QVariant> values)
    : m_values(std::move(values))
{
}

std::vector<int> CListSorter::Sort(bool bAscending, int nType) const
{
    const int rows = GetRowCount();
    std::vector<int> order(rows);
    for (int row = 0; row < rows; ++row)
        order[row] = row;
    if (nType < TypeInteger || nType > TypeDecimal)
        return order;

    const QStringList dateFormats = nType == TypeDate ? DateFormats() : QStringList();
    std::vector<SortKey> keys;
    keys.reserve(rows);
    for (const QVariant &value : m_values)
        keys.push_back(MakeKey(value, nType, dateFormats));

    // Descending is the ascending order read backwards for unequal keys only:
    // equal keys keep their rows' order either way.
    if (bAscending) {
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return KeyLess(keys[a], keys[b], nType); });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return KeyLess(keys[b], keys[a], nType); });
    }
    return order;
}

qint64 CListSorter::LeadingInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCSpace(text[i]))
        ++i;
    bool bNegative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        bNegative = text[i] == u'-';
        ++i;
    }
    // Gather as a negative number, whose range holds the positive one.
    qint64 value = 0;
    const qint64 lowest = std::numeric_limits<qint64>::min();
    for (; i < n && IsDigit(text[i]); ++i) {
        const int digit = text[i].unicode() - '0';
        if (value < (lowest + digit) / 10) {
            value = lowest;
            continue;
        }
        value = value * 10 - digit;
    }
    if (bNegative)
        return value;
    return value == lowest ? std::numeric_limits<qint64>::max() : -value;
}

double CListSorter::LeadingDecimal(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsCSpace(text[i]))
        ++i;
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            number += '-';
        ++i;
    }
    int digits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++digits)
        number += char(text[i].unicode());
    if (i < n && text[i] == u'.') {
        number += '.';
        for (++i; i < n && IsDigit(text[i]); ++i, ++digits)
            number += char(text[i].unicode());
    }
    if (digits == 0)
        return 0.0;
    bool bNegativeExponent = false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            bNegativeExponent = text[j] == u'-';
            exponent += char(text[j].unicode());
            ++j;
        }
        if (j < n && IsDigit(text[j])) {
            for (; j < n && IsDigit(text[j]); ++j)
                exponent += char(text[j].unicode());
            number += exponent;
        }
    }
    double value = 0.0;
    const char *first = number.data();
    const auto [end, error] = std::from_chars(first, first + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const bool bNegative = number.front() == '-';
        if (bNegativeExponent)
            return bNegative ? -0.0 : 0.0;
        return bNegative ? -HUGE_VAL : HUGE_VAL;
    }
    return error == std::errc() ? value : 0.0;
}

QDateTime CListSorter::ParseDateTime(const QString &text)
{
    return ParseWith(text, DateFormats());
}
