#include "res/DialogTemplateData.h"

#include "res/StringTable.h"
#include "res/templates/TemplateTables.h"

#include <algorithm>

QString DialogControlTemplate::Text() const
{
    return textId ? LoadString(textId) : text;
}

const DialogControlTemplate *DialogTemplate::control(int id) const
{
    // Unnamed controls share the id -1, so asking for it would be ambiguous.
    if (id < 0)
        return nullptr;
    for (const DialogControlTemplate &candidate : controls) {
        if (candidate.id == id)
            return &candidate;
    }
    return nullptr;
}

const std::vector<DialogTemplate> &AllDialogTemplates()
{
    static const std::vector<DialogTemplate> templates = [] {
        std::vector<DialogTemplate> all = PageTemplates();
        std::vector<DialogTemplate> dialogs = DialogBoxTemplates();
        all.insert(all.end(), dialogs.begin(), dialogs.end());
        std::sort(all.begin(), all.end(), [](const DialogTemplate &a, const DialogTemplate &b) { return a.number < b.number; });
        return all;
    }();
    return templates;
}

const DialogTemplate *FindDialogTemplate(int number)
{
    const std::vector<DialogTemplate> &all = AllDialogTemplates();
    const auto found = std::lower_bound(all.begin(), all.end(), number,
                                        [](const DialogTemplate &t, int n) { return t.number < n; });
    return found != all.end() && found->number == number ? &*found : nullptr;
}
