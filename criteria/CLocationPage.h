#pragma once

#include "criteria/CPatternPage.h"

// The folder-name patterns: only files in a folder whose name matches one of them are searched.
class CLocationPage : public CPatternPage
{
    Q_OBJECT

public:
    CLocationPage();
};
