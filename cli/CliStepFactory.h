#pragma once

#include "cli/CCommandLine.h"

#include <QByteArray>
#include <QString>
#include <memory>

class CActionStep;
class CResultStore;

// Where an action sends the files, besides the drive they were found on.
struct ActionTarget
{
    QByteArray driveRoot;
    QByteArray folder;        // move: the destination folder, resolved
    bool preservePath = false;
    QByteArray archive;       // zip: the archive's path, resolved
};

// The command's word as the user types it: "delete", "move", "zip".
const char *CommandWord(CliRequest::Command command);

// The step that carries out `command` on the files of `store`, the same step
// the results page runs. Null, with `unavailable` set to the message for the
// user, when this build has no such step.
std::unique_ptr<CActionStep> CreateActionStep(CliRequest::Command command, const CResultStore &store,
                                              const ActionTarget &target, QString &unavailable);
