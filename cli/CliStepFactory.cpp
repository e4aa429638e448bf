#include "cli/CliStepFactory.h"

#include "cli/CliText.h"
#include "core/CDeleteStep.h"
#include "res/ResourceIds.h"

std::unique_ptr<CActionStep> CreateActionStep(CliRequest::Command command, const CResultStore &store,
                                              const ActionTarget &target, QString &unavailable)
{
    switch (command) {
    case CliRequest::Delete:
        return std::make_unique<CDeleteStep>(store, target.driveRoot);
    case CliRequest::Move:
        // The move and compress steps are not part of this build; they are
        // created here once they are, with the target above.
        unavailable = CliText(IDS_CLI_MOVE_UNAVAILABLE);
        return nullptr;
    case CliRequest::Zip:
        unavailable = CliText(IDS_CLI_ZIP_UNAVAILABLE);
        return nullptr;
    default:
        unavailable = CliText(IDS_CLI_UNKNOWN_COMMAND, {QString::number(int(command))});
        return nullptr;
    }
}
