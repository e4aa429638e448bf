#pragma once

#include "res/ResourceIds.h"
#include "core/CActionStep.h"

// Drops checked files from the list only: no file is touched, nothing can
// fail, and the free space stays what it was.
class CEliminateStep : public CActionStep
{
public:
    int GetStatusTextId() const override { return IDS_ELIMINATING; }
    int GetFailedMessageId() const override { return 0; }
    bool ChangesDisk() const override { return false; }
    FileOpResult Run(int) override { return FileOpResult::Success(); }
};
