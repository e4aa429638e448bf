#pragma once

#include "criteria/CTimePage.h"

// When a file was last written.
class CModifiedTimePage : public CTimePage
{
    Q_OBJECT

public:
    CModifiedTimePage();
};
