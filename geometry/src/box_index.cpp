#include "geometry/box_index.h"

#include <algorithm>
#include <cmath>

namespace geometry {

namespace {

constexpr uint32_t kFanOut = 16;

double CentreX(const Extents& b) { return 0.5 * (b.min.x + b.max.x); }
double CentreY(const Extents& b) { return 0.5 * (b.min.y + b.max.y); }

// Sort-tile-recursive packing: vertical slices by centre x, each slice sorted by centre y, so
// that consecutive runs of kFanOut entries are compact tiles.
template <typename BoxOf>
void PackOrder(std::vector<uint32_t>& order, BoxOf boxOf) {
    const size_t n = order.size();
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return CentreX(boxOf(a)) < CentreX(boxOf(b)); });
    const size_t leaves = (n + kFanOut - 1) / kFanOut;
    const size_t slices = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
    const size_t perSlice = std::max<size_t>(1, slices) * kFanOut;
    for (size_t begin = 0; begin < n; begin += perSlice) {
        const size_t end = std::min(n, begin + perSlice);
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(begin), order.begin() + static_cast<std::ptrdiff_t>(end),
                  [&](uint32_t a, uint32_t b) { return CentreY(boxOf(a)) < CentreY(boxOf(b)); });
    }
}

}  // namespace

BoxIndex::BoxIndex(const std::vector<Extents>& boxes) : boxes_(boxes) {
    order_.reserve(boxes_.size());
    for (uint32_t i = 0; i < boxes_.size(); ++i) {
        if (!boxes_[i].IsEmpty()) order_.push_back(i);
    }
    if (order_.empty()) return;
    // NaN centres would break the sort's ordering; such boxes are never touched anyway.
    std::erase_if(order_, [&](uint32_t i) {
        return !std::isfinite(CentreX(boxes_[i])) || !std::isfinite(CentreY(boxes_[i]));
    });
    if (order_.empty()) return;
    PackOrder(order_, [&](uint32_t i) -> const Extents& { return boxes_[i]; });

    std::vector<Node> level;
    for (uint32_t begin = 0; begin < order_.size(); begin += kFanOut) {
        Node node;
        node.first = begin;
        node.count = std::min<uint32_t>(kFanOut, static_cast<uint32_t>(order_.size()) - begin);
        for (uint32_t k = 0; k < node.count; ++k) node.box.Include(boxes_[order_[begin + k]]);
        level.push_back(node);
    }
    levels_.push_back(std::move(level));

    while (levels_.back().size() > 1) {
        const std::vector<Node>& below = levels_.back();
        std::vector<uint32_t> nodeOrder(below.size());
        for (uint32_t i = 0; i < nodeOrder.size(); ++i) nodeOrder[i] = i;
        PackOrder(nodeOrder, [&](uint32_t i) -> const Extents& { return below[i].box; });
        // Children of a parent must be consecutive, so reorder the level below by the packing.
        std::vector<Node> reordered;
        reordered.reserve(below.size());
        for (uint32_t i : nodeOrder) reordered.push_back(below[i]);
        levels_.back() = std::move(reordered);

        const std::vector<Node>& packed = levels_.back();
        std::vector<Node> upper;
        for (uint32_t begin = 0; begin < packed.size(); begin += kFanOut) {
            Node node;
            node.first = begin;
            node.count = std::min<uint32_t>(kFanOut, static_cast<uint32_t>(packed.size()) - begin);
            for (uint32_t k = 0; k < node.count; ++k) node.box.Include(packed[begin + k].box);
            upper.push_back(node);
        }
        levels_.push_back(std::move(upper));
    }
}

void BoxIndex::Query(const Extents& query, std::vector<uint32_t>& out) const {
    if (levels_.empty() || query.IsEmpty()) return;
    struct Entry {
        uint32_t level;
        uint32_t node;
    };
    std::vector<Entry> stack;
    stack.push_back({static_cast<uint32_t>(levels_.size() - 1), 0});
    while (!stack.empty()) {
        const Entry entry = stack.back();
        stack.pop_back();
        const Node& node = levels_[entry.level][entry.node];
        if (!ExtentsTouch(node.box, query)) continue;
        if (entry.level == 0) {
            for (uint32_t k = 0; k < node.count; ++k) {
                const uint32_t item = order_[node.first + k];
                if (ExtentsTouch(boxes_[item], query)) out.push_back(item);
            }
        } else {
            for (uint32_t k = 0; k < node.count; ++k) stack.push_back({entry.level - 1, node.first + k});
        }
    }
}

}  // namespace geometry
