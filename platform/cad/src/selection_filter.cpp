#include "selection_filter.h"

#include <cstring>
#include <strings.h>

#include "platform/cad/db_entity.h"
#include "wildcard_match.h"

namespace platform::cad {

bool SelectionFilter::Compile(const resbuf* list, std::string& error)
{
    root_ = Node{};
    answers_.clear();
    std::vector<Node*> open{&root_};
    std::vector<std::string> closers;
    for (const resbuf* rb = list; rb != nullptr; rb = rb->rbnext) {
        Node* top = open.back();
        switch (rb->restype) {
        case 0:
        case RTDXF0:  // group 0 in lists built with acutBuildList, where 0 ends the list
        case 8: {
            if (rb->resval.rstring == nullptr) {
                error = "filter group without text";
                return false;
            }
            Node leaf;
            leaf.kind = rb->restype == 8 ? Node::Layer : Node::Type;
            leaf.pattern = std::make_shared<WildcardPattern>(rb->resval.rstring);
            top->children.push_back(std::move(leaf));
            break;
        }
        case -3: {
            // The applications follow as 1001 groups; an entity passes with data of any of them.
            Node any;
            any.kind = Node::Or;
            while (rb->rbnext != nullptr && rb->rbnext->restype == 1001) {
                rb = rb->rbnext;
                if (rb->resval.rstring == nullptr)
                    continue;
                Node leaf;
                leaf.kind = Node::XDataApp;
                leaf.pattern = std::make_shared<WildcardPattern>(rb->resval.rstring);
                any.children.push_back(std::move(leaf));
            }
            if (any.children.empty()) {
                error = "-3 filter without an application";
                return false;
            }
            top->children.push_back(std::move(any));
            break;
        }
        case -4: {
            const char* op = rb->resval.rstring != nullptr ? rb->resval.rstring : "";
            if (strcasecmp(op, "<or") == 0 || strcasecmp(op, "<and") == 0) {
                bool isOr = strcasecmp(op, "<or") == 0;
                Node group;
                group.kind = isOr ? Node::Or : Node::And;
                top->children.push_back(std::move(group));
                open.push_back(&top->children.back());
                closers.push_back(isOr ? "or>" : "and>");
            } else if (strcasecmp(op, "or>") == 0 || strcasecmp(op, "and>") == 0) {
                if (closers.empty() || strcasecmp(op, closers.back().c_str()) != 0) {
                    error = std::string("unbalanced -4 \"") + op + "\"";
                    return false;
                }
                closers.pop_back();
                open.pop_back();
            } else {
                error = std::string("unknown -4 operator \"") + op + "\"";
                return false;
            }
            break;
        }
        default:
            error = "unsupported filter group " + std::to_string(rb->restype);
            return false;
        }
    }
    if (!closers.empty()) {
        error = "-4 \"" + closers.back() + "\" missing";
        return false;
    }
    byTypeAndLayer_ = !ReadsXData(root_);
    return true;
}

bool SelectionFilter::ReadsXData(const Node& node)
{
    if (node.kind == Node::XDataApp)
        return true;
    for (const auto& child : node.children)
        if (ReadsXData(child))
            return true;
    return false;
}

bool SelectionFilter::Relaxed(const Node& node, const std::string_view* layer)
{
    switch (node.kind) {
    case Node::And:
        for (const auto& child : node.children)
            if (!Relaxed(child, layer))
                return false;
        return true;
    case Node::Or:
        for (const auto& child : node.children)
            if (Relaxed(child, layer))
                return true;
        return false;
    case Node::Layer:
        return layer != nullptr && node.pattern->Matches(*layer);
    case Node::Type:
    case Node::XDataApp:
        return true;
    }
    return true;
}

bool SelectionFilter::Accepts(const AcDbEntity& entity) const
{
    if (root_.children.empty())
        return true;
    if (!byTypeAndLayer_)
        return Test(root_, entity);
    Key key{entity.dxfTypeName(), entity.layerId().stub()};
    auto known = answers_.find(key);
    if (known != answers_.end())
        return known->second;
    bool accepted = Test(root_, entity);
    answers_.emplace(key, accepted);
    return accepted;
}

bool SelectionFilter::Test(const Node& node, const AcDbEntity& entity)
{
    switch (node.kind) {
    case Node::And:
        for (const auto& child : node.children)
            if (!Test(child, entity))
                return false;
        return true;
    case Node::Or:
        for (const auto& child : node.children)
            if (Test(child, entity))
                return true;
        return false;
    case Node::Type:
        return node.pattern->Matches(entity.dxfTypeName());
    case Node::Layer:
        return node.pattern->Matches(entity.layerName());
    case Node::XDataApp:
        for (const auto& app : entity.xdataApps())
            if (node.pattern->Matches(app.app))
                return true;
        return false;
    }
    return false;
}

}  // namespace platform::cad
