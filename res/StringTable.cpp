#include "res/StringTable.h"

#include <QHash>

namespace {

struct StringEntry
{
    int id;
    const char *text;
};

// Texts word for word, under their ids.
constexpr StringEntry kStrings[] = {
    {211, "Error while trying to strart the help file .\nThe file \"BVHelp.chm\"  is missing or is corrupt, \nor your system doesn't support HTML help."},
};

const QHash<int, QString> &table()
{
    static const QHash<int, QString> strings = [] {
        QHash<int, QString> map;
        for (const StringEntry &entry : kStrings)
            map.insert(entry.id, QString::fromUtf8(entry.text));
        return map;
    }();
    return strings;
}

} // namespace

QString LoadString(int id)
{
    return table().value(id);
}
