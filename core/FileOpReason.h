#pragma once

#include "platform/FileOpResult.h"

#include <QString>

// A short sentence saying how an operation on one file ended, for the list
// of files an action failed on.
QString DescribeFileOp(const FileOpResult &result);
