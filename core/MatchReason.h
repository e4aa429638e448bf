#pragma once

#include <QString>

// Why a file is listed, in words. `text` names the rule and, for a folder
// rule, the folder that met it; `group` is the same rule without the folder,
// for when a list has met more distinct folders than it keeps texts for.
struct MatchReason
{
    QString text;
    QString group;
};
