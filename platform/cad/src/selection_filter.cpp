#include "selection_filter.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <strings.h>

#include "platform/cad/db_entity.h"
#include "wildcard_match.h"

namespace platform::cad {
namespace {

// The list as text: each group's code and, for the groups with text, the text's length and the
// text. False for a list with a group of unknown meaning or without its text, which is compiled
// (and refused) each time.
bool ListText(const resbuf* list, std::string& text)
{
    for (const resbuf* rb = list; rb != nullptr; rb = rb->rbnext) {
        text += std::to_string(rb->restype);
        switch (rb->restype) {
        case -3:
            text += '\n';
            continue;
        case 0:
        case RTDXF0:
        case 8:
        case 1001:
        case -4:
            if (rb->resval.rstring == nullptr)
                return false;
            // The text's length first: no text can pass for two groups.
            text += ':' + std::to_string(std::strlen(rb->resval.rstring)) + ':';
            text += rb->resval.rstring;
            continue;
        default:
            return false;
        }
    }
    return true;
}

// The filters compiled last, newest first.
template <typename Compiled>
class RecentFilters {
public:
    std::shared_ptr<const Compiled> Find(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < kept_.size(); ++i)
            if (kept_[i].first == text) {
                std::rotate(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(i),
                            kept_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return kept_.front().second;
            }
        return nullptr;
    }
    void Keep(std::string text, std::shared_ptr<const Compiled> compiled)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (kept_.size() == kKept)
            kept_.pop_back();
        kept_.emplace(kept_.begin(), std::move(text), std::move(compiled));
    }

private:
    static constexpr std::size_t kKept = 16;
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::shared_ptr<const Compiled>>> kept_;
};

}  // namespace

std::shared_ptr<const SelectionFilter::Compiled> SelectionFilter::AcceptingAll()
{
    static const auto all = std::make_shared<const Compiled>();
    return all;
}

bool SelectionFilter::Compile(const resbuf* list, std::string& error)
{
    static auto* recent = new RecentFilters<Compiled>;  // never destroyed: selections may run at exit
    Forget();
    // The text's room is kept from one selection to the next (taken, not shared).
    thread_local std::string spare __attribute__((tls_model("initial-exec")));
    std::string text = std::move(spare);
    text.clear();
    text.reserve(256);  // the usual filter's text, grown at once
    const bool named = ListText(list, text);
    if (named) {
        if (auto known = recent->Find(text)) {
            compiled_ = std::move(known);
            spare = std::move(text);
            return true;
        }
    }
    auto fresh = std::make_shared<Compiled>();
    if (!Build(list, *fresh, error))
        return false;
    compiled_ = fresh;
    if (named)
        recent->Keep(std::move(text), std::move(fresh));
    return true;
}

bool SelectionFilter::Build(const resbuf* list, Compiled& into, std::string& error)
{
    std::vector<Node*> open{&into.root};
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
    into.byTypeAndLayer = !ReadsXData(into.root);
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

bool SelectionFilter::Relaxed(const Node& node, const std::string_view* layer, const std::string_view* type)
{
    switch (node.kind) {
    case Node::And:
        for (const auto& child : node.children)
            if (!Relaxed(child, layer, type))
                return false;
        return true;
    case Node::Or:
        for (const auto& child : node.children)
            if (Relaxed(child, layer, type))
                return true;
        return false;
    case Node::Layer:
        return layer != nullptr && node.pattern->Matches(*layer);
    case Node::Type:
        return type != nullptr && node.pattern->Matches(*type);
    case Node::XDataApp:
        return true;
    }
    return true;
}

bool SelectionFilter::Accepts(const AcDbEntity& entity) const
{
    const Node& root = compiled_->root;
    if (root.children.empty())
        return true;
    if (!compiled_->byTypeAndLayer)
        return Test(root, entity);
    Key key{entity.dxfTypeName(), entity.layerId().stub()};
    for (std::size_t i = 0; i < fewAnswers_; ++i)
        if (few_[i].first == key)
            return few_[i].second;
    if (fewAnswers_ == kFewAnswers) {
        auto known = answers_.find(key);
        if (known != answers_.end())
            return known->second;
    }
    bool accepted = Test(root, entity);
    if (fewAnswers_ < kFewAnswers)
        few_[fewAnswers_++] = {key, accepted};
    else
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
