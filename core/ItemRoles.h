#pragma once

#include <Qt>

// Item data roles of our own, shared by the models and the controls that
// draw them.

// true on a check box that can never change: drawn disabled, left alone by
// clicks and keys.
constexpr int kCheckLockedRole = Qt::UserRole + 16;
