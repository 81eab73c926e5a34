// Selection filters: the host's filter list (result buffers) compiled once into a tree that is then
// tested against each candidate entity.
#pragma once

#include <memory>
#include <string>
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
    bool Accepts(const AcDbEntity& entity) const;

private:
    struct Node {
        enum Kind { And, Or, Type, Layer, XDataApp } kind = And;
        std::shared_ptr<const WildcardPattern> pattern;
        std::vector<Node> children;
    };
    static bool Test(const Node& node, const AcDbEntity& entity);
    Node root_;
};

}  // namespace platform::cad
