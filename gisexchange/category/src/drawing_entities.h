// The drawing's entities for the category writers of one export: selected once, each with its type
// name, and its feature code read the first time a writer asks. The writers only read the drawing,
// so one selection serves all of them in the order each would have selected.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/cad/resbuf.h"

namespace gisexchange {

// Types and codes are few: each entity points at its text, kept once by the list.
struct DrawingEntity {
    ads_name name{};
    const std::string* type = nullptr;
    const std::string* code = nullptr;  // null until read
};

class DrawingEntities {
public:
    // Every entity of the drawing, in the order of a selection of all of them.
    static DrawingEntities SelectAll();

    std::vector<DrawingEntity>& entities() { return entities_; }
    // The size of the selection, which the progress meter counts.
    int selected() const { return selected_; }
    // The entity's feature code, read once.
    const std::string& CodeOf(DrawingEntity& entity);

private:
    const std::string* Kept(std::string text) { return &*texts_.insert(std::move(text)).first; }

    std::unordered_set<std::string> texts_;
    std::vector<DrawingEntity> entities_;
    int selected_ = 0;
};

// The DXF type name from the entity's class, without listing the whole entity; an entity of a
// class the host keeps as raw data is listed.
std::string EntityTypeOf(const ads_name entity);

}  // namespace gisexchange
