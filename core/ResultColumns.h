#pragma once

// The columns of the results list, in display order.
enum ResultColumn : int {
    kColumnFile,
    kColumnLocation,
    kColumnSize,
    kColumnCreated,
    kColumnModified,
    kColumnAccessed,
    kColumnReason,
    kColumnCount
};
