#pragma once

#include "criteria/CTimePage.h"

// When a file was last read.
class CAccessedTimePage : public CTimePage
{
    Q_OBJECT

public:
    CAccessedTimePage();
};
