#pragma once

#include "criteria/CTimePage.h"

// When a file was made.
class CCreationTimePage : public CTimePage
{
    Q_OBJECT

public:
    CCreationTimePage();
};
