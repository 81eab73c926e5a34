#include "platform/xml/dom_document.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <pugixml.hpp>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/win/file_handles.h"
#include "platform/win/files.h"

namespace platform::xml {

using platform::text::Utf16ToUtf8;
using platform::text::Utf8ToUtf16;

// Nodes that were created but not yet appended live below a hidden holder element of the same
// pugixml document, so that appending is a move and every handle stays valid. Loading replaces
// the whole tree; the generation tells handles from before a load that their node is gone.
struct DocumentState {
    pugi::xml_document doc;
    pugi::xml_node holder;
    // Created declarations cannot go below an element; they wait at the top level, hidden.
    std::vector<pugi::xml_node> waitingDeclarations;
    std::uint64_t generation = 0;
    bool preserveWhiteSpace = false;
    std::string error;

    void Reset() {
        doc.reset();
        holder = doc.append_child("#holder");
        waitingDeclarations.clear();
        ++generation;
    }
};

struct DomNode::Ref {
    std::shared_ptr<DocumentState> state;
    std::uint64_t generation = 0;
    pugi::xml_node node;       // the node, or the element that owns attr
    pugi::xml_attribute attr;  // set for attribute nodes
};

namespace {

constexpr std::int64_t kMaxFileBytes = 64 * 1024 * 1024;

std::atomic<bool> g_failCreation{false};

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }
std::u16string Wide(const char* text) { return Utf8ToUtf16(text ? text : ""); }

bool IsHolder(const DocumentState& state, pugi::xml_node node) {
    return node == state.holder ||
           std::find(state.waitingDeclarations.begin(), state.waitingDeclarations.end(), node) !=
               state.waitingDeclarations.end();
}

// A declaration's pseudo-attributes as the text of the processing instruction.
std::string DeclarationData(pugi::xml_node node) {
    std::string data;
    for (pugi::xml_attribute a : node.attributes()) {
        if (!data.empty()) data += ' ';
        data += a.name();
        data += "=\"";
        data += a.value();
        data += '"';
    }
    return data;
}

// Walks the subtree without recursion: a hostile file may nest elements very deeply.
void CollectText(pugi::xml_node top, pugi::xml_node holder, std::string* out) {
    pugi::xml_node node = top.first_child();
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) *out += node.value();
        if (node.type() == pugi::node_element && node != holder && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != top && !node.next_sibling()) node = node.parent();
        if (node == top) break;
        node = node.next_sibling();
    }
}

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

unsigned ParseFlags(bool preserveWhiteSpace) {
    unsigned flags = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;
    if (preserveWhiteSpace) flags |= pugi::parse_ws_pcdata;
    return flags;
}

}  // namespace

// --- DomNode -------------------------------------------------------------------------------------

bool DomNode::IsNull() const {
    return !ref_ || !ref_->state || ref_->generation != ref_->state->generation || (!ref_->node && !ref_->attr);
}

DomNodeType DomNode::nodeType() const {
    if (IsNull()) return DomNodeType::None;
    if (ref_->attr) return DomNodeType::Attribute;
    switch (ref_->node.type()) {
        case pugi::node_document: return DomNodeType::Document;
        case pugi::node_element: return DomNodeType::Element;
        case pugi::node_pcdata: return DomNodeType::Text;
        case pugi::node_cdata: return DomNodeType::CData;
        case pugi::node_comment: return DomNodeType::Comment;
        case pugi::node_pi:
        case pugi::node_declaration: return DomNodeType::ProcessingInstruction;
        default: return DomNodeType::None;
    }
}

std::u16string DomNode::nodeName() const {
    switch (nodeType()) {
        case DomNodeType::Attribute: return Wide(ref_->attr.name());
        case DomNodeType::Element:
        case DomNodeType::ProcessingInstruction: return Wide(ref_->node.name());
        case DomNodeType::Text: return u"#text";
        case DomNodeType::CData: return u"#cdata-section";
        case DomNodeType::Comment: return u"#comment";
        case DomNodeType::Document: return u"#document";
        case DomNodeType::None: break;
    }
    return {};
}

std::u16string DomNode::text() const {
    switch (nodeType()) {
        case DomNodeType::Attribute: return Wide(ref_->attr.value());
        case DomNodeType::Element:
        case DomNodeType::Document: {
            std::string text;
            CollectText(ref_->node, ref_->state->holder, &text);
            return Utf8ToUtf16(text);
        }
        case DomNodeType::ProcessingInstruction:
            if (ref_->node.type() == pugi::node_declaration) return Utf8ToUtf16(DeclarationData(ref_->node));
            return Wide(ref_->node.value());
        case DomNodeType::Text:
        case DomNodeType::CData:
        case DomNodeType::Comment: return Wide(ref_->node.value());
        case DomNodeType::None: break;
    }
    return {};
}

HRESULT DomNode::put_text(std::u16string_view text) {
    const std::string value = Utf8(text);
    switch (nodeType()) {
        case DomNodeType::Attribute: return ref_->attr.set_value(value.c_str()) ? S_OK : E_FAIL;
        case DomNodeType::Element: {
            // Old children go to the holder rather than away, so handles to them stay valid.
            while (pugi::xml_node child = ref_->node.first_child()) ref_->state->holder.append_move(child);
            if (!text.empty() && !ref_->node.append_child(pugi::node_pcdata).set_value(value.c_str())) return E_FAIL;
            return S_OK;
        }
        case DomNodeType::Text:
        case DomNodeType::CData:
        case DomNodeType::Comment: return ref_->node.set_value(value.c_str()) ? S_OK : E_FAIL;
        default: return E_FAIL;
    }
}

DomNodeList DomNode::childNodes() const {
    DomNodeList list;
    if (!IsNull() && !ref_->attr) list.parent_ = *this;
    return list;
}

DomNamedNodeMap DomNode::attributes() const {
    DomNamedNodeMap map;
    if (nodeType() == DomNodeType::Element) map.element_ = *this;
    return map;
}

HRESULT DomNode::setAttribute(std::u16string_view name, std::u16string_view value) {
    if (nodeType() != DomNodeType::Element || name.empty()) return E_INVALIDARG;
    const std::string key = Utf8(name);
    pugi::xml_attribute attr = ref_->node.attribute(key.c_str());
    if (!attr) attr = ref_->node.append_attribute(key.c_str());
    return attr && attr.set_value(Utf8(value).c_str()) ? S_OK : E_FAIL;
}

DomNode DomNode::appendChild(const DomNode& child) {
    if (IsNull() || child.IsNull() || ref_->attr || child.ref_->attr) return {};
    DocumentState& state = *ref_->state;
    pugi::xml_node parent = ref_->node;
    if (parent.type() == pugi::node_document && child.ref_->node.type() == pugi::node_element) {
        // A document has one document element.
        for (pugi::xml_node n : parent.children())
            if (n.type() == pugi::node_element && !IsHolder(state, n) && n != child.ref_->node) return {};
    }
    if (child.ref_->state == ref_->state) {
        if (child.ref_->node == state.holder) return {};
        if (!parent.append_move(child.ref_->node)) return {};
        std::erase(state.waitingDeclarations, child.ref_->node);
        return child;
    }
    pugi::xml_node copy = parent.append_copy(child.ref_->node);
    if (!copy) return {};
    DomNode result;
    result.ref_ = std::make_shared<Ref>(Ref{ref_->state, state.generation, copy, {}});
    return result;
}

// --- lists ---------------------------------------------------------------------------------------

long DomNodeList::length() const {
    if (parent_.IsNull()) return 0;
    const DocumentState& state = *parent_.ref_->state;
    long count = 0;
    for (pugi::xml_node n : parent_.ref_->node.children())
        if (!IsHolder(state, n)) ++count;
    return count;
}

DomNode DomNodeList::item(long index) const {
    if (parent_.IsNull() || index < 0) return {};
    const DocumentState& state = *parent_.ref_->state;
    for (pugi::xml_node n : parent_.ref_->node.children()) {
        if (IsHolder(state, n)) continue;
        if (index-- == 0) {
            DomNode node;
            node.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{parent_.ref_->state, state.generation, n, {}});
            return node;
        }
    }
    return {};
}

long DomNamedNodeMap::length() const {
    if (element_.IsNull()) return 0;
    long count = 0;
    for ([[maybe_unused]] pugi::xml_attribute a : element_.ref_->node.attributes()) ++count;
    return count;
}

DomNode DomNamedNodeMap::item(long index) const {
    if (element_.IsNull() || index < 0) return {};
    for (pugi::xml_attribute a : element_.ref_->node.attributes()) {
        if (index-- == 0) {
            DomNode node;
            node.ref_ = std::make_shared<DomNode::Ref>(
                DomNode::Ref{element_.ref_->state, element_.ref_->generation, element_.ref_->node, a});
            return node;
        }
    }
    return {};
}

DomNode DomNamedNodeMap::getNamedItem(std::u16string_view name) const {
    if (element_.IsNull()) return {};
    pugi::xml_attribute a = element_.ref_->node.attribute(Utf8(name).c_str());
    if (!a) return {};
    DomNode node;
    node.ref_ = std::make_shared<DomNode::Ref>(
        DomNode::Ref{element_.ref_->state, element_.ref_->generation, element_.ref_->node, a});
    return node;
}

// --- DomDocument ---------------------------------------------------------------------------------

DomDocument::DomDocument() : state_(std::make_shared<DocumentState>()) { state_->Reset(); }

DomDocument::~DomDocument() = default;

void DomDocument::put_preserveWhiteSpace(bool preserve) { state_->preserveWhiteSpace = preserve; }

const std::string& DomDocument::parseError() const { return state_->error; }

bool DomDocument::loadXML(std::string_view text) {
    state_->Reset();
    // Parse into a fresh document and move its nodes over, so the holder stays first.
    pugi::xml_document parsed;
    const pugi::xml_parse_result result =
        parsed.load_buffer(text.data(), text.size(), ParseFlags(state_->preserveWhiteSpace), pugi::encoding_auto);
    if (!result) {
        state_->error = std::string(result.description()) + " at offset " + std::to_string(result.offset);
        return false;
    }
    // The parser takes fragments; a document has exactly one element and no text beside it.
    int elements = 0;
    for (pugi::xml_node n : parsed.children()) {
        if (n.type() == pugi::node_element) ++elements;
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) elements = 2;
    }
    if (elements != 1) {
        state_->error = elements == 0 ? "no document element" : "more than one document element";
        return false;
    }
    for (pugi::xml_node n : parsed.children()) state_->doc.append_copy(n);
    state_->error.clear();
    return true;
}

bool DomDocument::load(std::u16string_view path) {
    const std::u16string name(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        state_->Reset();
        state_->error = "cannot open " + Utf8(path);
        return false;
    }
    LARGE_INTEGER size{};
    std::string bytes;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= kMaxFileBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t got = 0;
        while (ok && got < bytes.size()) {
            DWORD read = 0;
            ok = ReadFile(file, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &read, nullptr) &&
                 read > 0;
            got += read;
        }
    }
    CloseHandle(file);
    if (!ok) {
        state_->Reset();
        state_->error = "cannot read " + Utf8(path);
        return false;
    }
    return loadXML(bytes);
}

std::string DomDocument::xml() const {
    // Written as it stands, without indentation, as Windows does: white space is only what the
    // tree holds. Top-level nodes go on lines of their own.
    StringWriter writer;
    for (pugi::xml_node n : state_->doc.children()) {
        if (IsHolder(*state_, n)) continue;
        n.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.text += "\r\n";
    }
    return writer.text;
}

HRESULT DomDocument::save(std::u16string_view path) const {
    const std::string text = xml();
    const std::u16string name(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    const bool closed = CloseHandle(file);
    if (!ok || !closed) {
        DeleteFileW(name.c_str());
        return E_FAIL;
    }
    return S_OK;
}

DomNode DomDocument::asNode() const {
    DomNode node;
    node.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, state_->doc, {}});
    return node;
}

DomNode DomDocument::documentElement() const {
    for (pugi::xml_node n : state_->doc.children()) {
        if (n.type() == pugi::node_element && !IsHolder(*state_, n)) {
            DomNode node;
            node.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, n, {}});
            return node;
        }
    }
    return {};
}

DomNode DomDocument::createElement(std::u16string_view name) {
    if (name.empty()) return {};
    pugi::xml_node node = state_->holder.append_child(Utf8(name).c_str());
    DomNode handle;
    if (node) handle.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, node, {}});
    return handle;
}

DomNode DomDocument::createProcessingInstruction(std::u16string_view target, std::u16string_view data) {
    if (target.empty()) return {};
    pugi::xml_node node;
    if (target == u"xml") {
        // Let the parser read the pseudo-attributes, so a malformed declaration is refused.
        pugi::xml_document parsed;
        const std::string text = "<?xml " + Utf8(data) + "?><x/>";
        if (!parsed.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration,
                                pugi::encoding_utf8))
            return {};
        pugi::xml_node declaration = parsed.first_child();
        if (declaration.type() != pugi::node_declaration) return {};
        node = state_->doc.append_copy(declaration);
        if (node) state_->waitingDeclarations.push_back(node);
    } else {
        node = state_->holder.append_child(pugi::node_pi);
        if (node && !(node.set_name(Utf8(target).c_str()) && node.set_value(Utf8(data).c_str()))) return {};
    }
    DomNode handle;
    if (node) handle.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, node, {}});
    return handle;
}

DomNode DomDocument::createComment(std::u16string_view text) {
    pugi::xml_node node = state_->holder.append_child(pugi::node_comment);
    DomNode handle;
    if (node && node.set_value(Utf8(text).c_str()))
        handle.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, node, {}});
    return handle;
}

DomNode DomDocument::createTextNode(std::u16string_view text) {
    pugi::xml_node node = state_->holder.append_child(pugi::node_pcdata);
    DomNode handle;
    if (node && node.set_value(Utf8(text).c_str()))
        handle.ref_ = std::make_shared<DomNode::Ref>(DomNode::Ref{state_, state_->generation, node, {}});
    return handle;
}

std::unique_ptr<DomDocument> CreateDomDocument() {
    if (g_failCreation.load()) return nullptr;
    return std::make_unique<DomDocument>();
}

void FailDocumentCreation(bool fail) { g_failCreation.store(fail); }

}  // namespace platform::xml
