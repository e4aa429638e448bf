#pragma once

#include "criteria/CPatternPage.h"

// The file-name patterns, each matched against a name without its extension.
class CNamePage : public CPatternPage
{
    Q_OBJECT

public:
    CNamePage();
};
