#pragma once

#include "core/CActionRunner.h"

#include <QByteArray>

class CResultStore;

// Deletes every checked file of `store` (on the drive at `root`) as the front
// ends do, through the action runner; the outcome carries the forecast and the
// measured change of free blocks.
ActionOutcome DeleteChecked(CResultStore &store, const QByteArray &root);
