#include "DeleteChecked.h"

#include "core/CDeleteStep.h"
#include "core/CResultStore.h"

#include <vector>

ActionOutcome DeleteChecked(CResultStore &store, const QByteArray &root)
{
    std::vector<ActionRow> rows;
    for (int i = 0; i < store.GetCount(); ++i) {
        if (store.IsChecked(i))
            rows.push_back({-1, i});
    }
    CDeleteStep step(store, root);
    CActionRunner runner(step, store, root);
    CActionHooks hooks;
    return runner.Run(rows, hooks);
}
