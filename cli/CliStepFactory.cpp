#include "cli/CliStepFactory.h"

#include "cli/CliText.h"
#include "core/CCompressPlugin.h"
#include "core/CDeleteStep.h"
#include "core/CMoveStep.h"
#include "res/ResourceIds.h"

const char *CommandWord(CliRequest::Command command)
{
    switch (command) {
    case CliRequest::Move: return "move";
    case CliRequest::Zip: return "zip";
    default: return "delete";
    }
}

std::unique_ptr<CActionStep> CreateActionStep(CliRequest::Command command, const CResultStore &store,
                                              const ActionTarget &target, QString &unavailable)
{
    switch (command) {
    case CliRequest::Delete:
        return std::make_unique<CDeleteStep>(store, target.driveRoot);
    case CliRequest::Move: {
        auto step = std::make_unique<CMoveStep>(store, target.driveRoot, target.folder, target.preservePath);
        step->SetKeepRecord(false);
        return step;
    }
    case CliRequest::Zip: {
        // The same plug-in the wizard loads, from the same places.
        CCompressPlugin plugin;
        if (!plugin.Load()) {
            unavailable = CliText(plugin.GetErrorTextId(), {QString::fromUtf8(EscapeForMessage(plugin.GetPath()))});
            return nullptr;
        }
        std::unique_ptr<CCompressStep> step =
            plugin.CreateStep(store, target.driveRoot, target.archive, [](const QByteArray &path) {
                PrintError(CliText(IDS_COMPRESS_ERROR, {QString::fromUtf8(EscapeForMessage(path))}));
            });
        step->SetRefusalHandler([](const QByteArray &archive) {
            PrintError(CliText(IDS_CLI_ARCHIVE_NOT_ZIP, {QString::fromUtf8(EscapeForMessage(archive))}));
        });
        return step;
    }
    default:
        unavailable = CliText(IDS_CLI_UNKNOWN_COMMAND, {QString::number(int(command))});
        return nullptr;
    }
}
