#include "framework/Templates.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace nodescout {

namespace {

struct ResourceTables {
    std::mutex mutex;
    std::vector<const ResourceTable*> tables; // newest first
};

ResourceTables& Tables() {
    static ResourceTables tables;
    return tables;
}

template <class Entry, class Select>
const Entry* FindInTables(UINT id, Select select) {
    ResourceTables& resources = Tables();
    std::lock_guard lock(resources.mutex);
    for (const ResourceTable* table : resources.tables) {
        for (const Entry& entry : select(*table)) {
            if (entry.id == id) {
                return &entry;
            }
        }
    }
    return nullptr;
}

} // namespace

void AfxAddResources(const ResourceTable& table) {
    ResourceTables& resources = Tables();
    std::lock_guard lock(resources.mutex);
    resources.tables.insert(resources.tables.begin(), &table);
}

void AfxRemoveResources(const ResourceTable& table) {
    ResourceTables& resources = Tables();
    std::lock_guard lock(resources.mutex);
    std::erase(resources.tables, &table);
}

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
    return FindInTables<DialogTemplate>(id, [](const ResourceTable& t) { return t.dialogs; });
}

BOOL AfxLoadString(UINT id, std::string& text) {
    const StringResource* found =
        FindInTables<StringResource>(id, [](const ResourceTable& t) { return t.strings; });
    text = found ? found->text : "";
    return found ? TRUE : FALSE;
}

const IconResource* AfxFindIconResource(UINT id) {
    return FindInTables<IconResource>(id, [](const ResourceTable& t) { return t.icons; });
}

} // namespace nodescout
