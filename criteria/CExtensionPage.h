#pragma once

#include "criteria/CPatternPage.h"

// The extension patterns, written without their leading dot.
class CExtensionPage : public CPatternPage
{
    Q_OBJECT

public:
    CExtensionPage();
};
