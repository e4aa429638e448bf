#pragma once

#include "platform/FileOpResult.h"

#include <QByteArray>

// A file an action could not deal with, and why: the path as raw bytes and
// the result the step gave.
struct FailedFile
{
    QByteArray path;
    FileOpResult result;
};
