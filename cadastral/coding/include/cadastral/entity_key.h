// An entity's name as a key of the look-ups a run keeps of what it has read.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/cad/resbuf.h"

namespace cadastral {

using EntityKey = std::pair<std::int64_t, std::int64_t>;

inline EntityKey KeyOf(const ads_name entity) {
    return {entity[0], entity[1]};
}

struct EntityKeyHash {
    std::size_t operator()(const EntityKey& key) const {
        return std::hash<std::int64_t>()(key.first) ^ (std::hash<std::int64_t>()(key.second) << 1);
    }
};

}  // namespace cadastral
