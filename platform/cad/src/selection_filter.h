// Selection filters: the host's filter list (result buffers) compiled once into a tree that is then
// tested against each candidate entity. Compiled trees depend on the list's text alone; the last
// few are kept by that text, as commands select again and again with the same few filters.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/cad/resbuf.h"
#include "wildcard_match.h"

class AcDbEntity;

namespace platform::cad {

class SelectionFilter {
public:
    // False, with the reason, for a list the host refuses (an unknown group or operator, an
    // unbalanced "<or"/"<and"). A null list accepts everything.
    bool Compile(const resbuf* list, std::string& error);
    // A filter without an XData group answers alike for every entity of one type and one layer:
    // that answer is remembered, so a selection compares names once per type and layer it meets
    // rather than once per entity. Call Forget when names may have changed since (between two
    // picks of the user).
    bool Accepts(const AcDbEntity& entity) const;
    void Forget() const
    {
        fewAnswers_ = 0;
        answers_.clear();
    }
    // Whether an entity on a layer of this name and of this type could pass, whatever its data.
    bool MayAccept(std::string_view layer, std::string_view type) const
    {
        return Relaxed(compiled_->root, &layer, &type);
    }
    // Whether only entities of layers or types the filter names can pass (no "<or" branch
    // without a layer or type test).
    bool NamesLayersOrTypes() const { return !Relaxed(compiled_->root, nullptr, nullptr); }

private:
    struct Node {
        enum Kind { And, Or, Type, Layer, XDataApp } kind = And;
        std::shared_ptr<const WildcardPattern> pattern;
        std::vector<Node> children;
    };
    // The type name's text and the layer's object: both stay put while a selection runs.
    using Key = std::pair<const void*, const void*>;
    struct KeyHash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<const void*>()(k.first) * 31 ^ std::hash<const void*>()(k.second);
        }
    };
    struct Compiled {
        Node root;
        bool byTypeAndLayer = true;
    };
    static bool Build(const resbuf* list, Compiled& into, std::string& error);
    static std::shared_ptr<const Compiled> AcceptingAll();
    static bool Test(const Node& node, const AcDbEntity& entity);
    static bool ReadsXData(const Node& node);
    // The filter with every data test passed: layer and type tests alone decide (all fail
    // without the name they test).
    static bool Relaxed(const Node& node, const std::string_view* layer, const std::string_view* type);
    std::shared_ptr<const Compiled> compiled_ = AcceptingAll();
    // A selection meets a few types and layers: their answers are looked for in order, the rest
    // hashed.
    static constexpr std::size_t kFewAnswers = 8;
    mutable std::pair<Key, bool> few_[kFewAnswers];
    mutable std::size_t fewAnswers_ = 0;
    mutable std::unordered_map<Key, bool, KeyHash> answers_;
};

}  // namespace platform::cad
