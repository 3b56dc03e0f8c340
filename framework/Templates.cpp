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
// Constant-initialised, so usable before any other static is set up.
constinit ResourceTables registry;

template <class Entry>
const Entry* FindInTables(UINT id, std::span<const Entry> ResourceTable::*entries) {
    std::lock_guard lock(registry.mutex);
    for (const ResourceTable* table : registry.tables) {
        for (const Entry& entry : table->*entries) {
            if (entry.id == id) {
                return &entry;
            }
        }
    }
    return nullptr;
}

} // namespace

void AfxAddResources(const ResourceTable& table) {
    std::lock_guard lock(registry.mutex);
    registry.tables.insert(registry.tables.begin(), &table);
}

void AfxRemoveResources(const ResourceTable& table) {
    std::lock_guard lock(registry.mutex);
    std::erase(registry.tables, &table);
}

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
    return FindInTables(id, &ResourceTable::dialogs);
}

BOOL AfxLoadString(UINT id, std::string& text) {
    const StringResource* found = FindInTables(id, &ResourceTable::strings);
    text = found ? found->text : "";
    return found ? TRUE : FALSE;
}

const IconResource* AfxFindIconResource(UINT id) {
    return FindInTables(id, &ResourceTable::icons);
}

} // namespace nodescout
