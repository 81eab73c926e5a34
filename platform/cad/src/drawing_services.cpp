#include "drawing_services.h"

#include <map>
#include <mutex>

#include "platform/cad/db_database.h"

namespace platform::cad {
namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::int64_t, std::unique_ptr<DrawingServices>> bySerial;
};

Registry& TheRegistry()
{
    // Never destroyed: databases that outlive static destruction still point at their observers.
    static auto* registry = new Registry;
    return *registry;
}

}  // namespace

DrawingServices& ServicesOf(AcDbDatabase* database)
{
    if (database == nullptr)
        database = acdbHostApplicationServices()->workingDatabase();
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    // Services of drawings that have been closed since are dropped; their databases no longer
    // call them.
    for (auto it = registry.bySerial.begin(); it != registry.bySerial.end();) {
        if (AcDbDatabase::fromSerial(it->first) == nullptr)
            it = registry.bySerial.erase(it);
        else
            ++it;
    }
    auto& slot = registry.bySerial[database->serial()];
    if (!slot) {
        slot = std::make_unique<DrawingServices>(database);
        database->addObserver(&slot->index);
        database->addObserver(&slot->layers);
        database->addObserver(&slot->journal);
    }
    return *slot;
}

ViewState& ViewOf(AcDbDatabase* database) { return ServicesOf(database).view; }

UndoJournal& JournalOf(AcDbDatabase* database) { return ServicesOf(database).journal; }

}  // namespace platform::cad
