#pragma once

#include <QString>

// Why a file is listed, in words. `text` names the rule and, for a folder
// rule, the folder that met it; `group` is the same rule without the folder,
// for when a list has met more distinct folders than it keeps texts for.
// `folderLevel` is where the folder that met a folder rule lies on the walk's
// chain (0 its root), -1 when no folder rule listed the file: an action may
// remove folders it empties below that folder, never the folder itself.
struct MatchReason
{
    QString text;
    QString group;
    int folderLevel = -1;
};
