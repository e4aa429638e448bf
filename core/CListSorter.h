#pragma once

#include <QDateTime>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVector>

#include <vector>

class QAbstractItemModel;

// Orders the rows of a list by the values of one column, read once when the
// sorter is made. The sort is stable and every comparison is a strict weak
// ordering, so rows with equal keys keep their order and no input text,
// however odd, can upset the sort.
class CListSorter
{
public:
    // How the texts of a column compare.
    enum ColumnType {
        TypeNone = 0,    // never: every pair is equal
        TypeInteger = 1, // the leading integer of the text
        TypeText = 2,    // case-insensitive text
        TypeDate = 3,    // the date and time the text shows
        TypeDecimal = 4, // the leading decimal number of the text
    };

    // Reads `role` of `column` for every top-level row of `model`.
    CListSorter(const QAbstractItemModel *model, int column, int role = Qt::DisplayRole);
    // Sorts these values; row i is values[i].
    explicit CListSorter(QVector<QVariant> values);

    int GetRowCount() const { return static_cast<int>(m_values.size()); }

    // The new order: entry k is the row that goes to position k. An unknown
    // type leaves the order as it is.
    std::vector<int> Sort(bool bAscending, int nType) const;

    // The value of the leading integer: leading white space, an optional sign
    // and digits; no digits gives 0; values beyond 64 bits saturate.
    static qint64 LeadingInteger(QStringView text);
    // The value of the leading decimal number (digits, an optional point and
    // fraction, an optional exponent); no number gives 0.
    static double LeadingDecimal(QStringView text);
    // The date and time shown by `text` in the user's locale (its short and
    // long forms, with or without a time) or in ISO form; invalid when none
    // of them reads it.
    static QDateTime ParseDateTime(const QString &text);

private:
    QVector<QVariant> m_values;
};
