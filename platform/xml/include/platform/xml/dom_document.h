// The XML document object the installer reads and writes its configuration files with, in the
// shape of the Windows DOM document: load and save by path (Windows form, on the mapped root), the
// document element, child nodes, names, texts, attributes by position and by name, new elements,
// processing instructions and comments, appending.
//
// Nodes, lists and attribute maps are small handles that keep their document alive; a handle that
// names nothing (an index past the end, a missing name) is null, and every call on a null handle
// fails or gives an empty answer instead of crashing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace platform::xml {

// The class identifier under which the document object is created.
inline constexpr char16_t kDomDocumentClassId[] = u"{2933BF90-7B36-11D2-B20E-00C04F983E60}";

enum class DomNodeType { None = 0, Element = 1, Attribute = 2, Text = 3, CData = 4, ProcessingInstruction = 7,
                         Comment = 8, Document = 9 };

struct DocumentState;
class DomNodeList;
class DomNamedNodeMap;

class DomNode {
public:
    DomNode() = default;

    bool IsNull() const;
    explicit operator bool() const { return !IsNull(); }
    DomNodeType nodeType() const;
    // Element and attribute names, a processing instruction's target, "#text", "#comment",
    // "#cdata-section" or "#document".
    std::u16string nodeName() const;
    // An attribute's value; the text of an element or document (all its text below it, in order);
    // the text of a text, comment or processing instruction node.
    std::u16string text() const;
    // Replaces an element's content by one text node, or sets an attribute's or other node's value.
    HRESULT put_text(std::u16string_view text);

    DomNodeList childNodes() const;
    // Null for nodes other than elements.
    DomNamedNodeMap attributes() const;
    // Sets or adds an attribute of an element (added ones go last).
    HRESULT setAttribute(std::u16string_view name, std::u16string_view value);
    // Moves (or copies, when it belongs to another document) child to the end of this node's
    // children; the result is the appended node, null on failure.
    DomNode appendChild(const DomNode& child);

private:
    friend class DomDocument;
    friend class DomNodeList;
    friend class DomNamedNodeMap;
    struct Ref;
    std::shared_ptr<Ref> ref_;
};

class DomNodeList {
public:
    long length() const;
    DomNode item(long index) const;

private:
    friend class DomNode;
    DomNode parent_;
};

class DomNamedNodeMap {
public:
    bool IsNull() const { return element_.IsNull(); }
    long length() const;
    DomNode item(long index) const;
    DomNode getNamedItem(std::u16string_view name) const;

private:
    friend class DomNode;
    DomNode element_;
};

class DomDocument {
public:
    DomDocument();
    ~DomDocument();
    DomDocument(const DomDocument&) = delete;
    DomDocument& operator=(const DomDocument&) = delete;

    // Loading is always synchronous; the flag is kept for callers that set it.
    void put_async(bool async) { async_ = async; }
    // Whether white space between elements is kept as text nodes when loading.
    void put_preserveWhiteSpace(bool preserve);

    // Reads the file at a Windows path. A missing, unreadable or malformed file gives false and
    // leaves the document empty.
    bool load(std::u16string_view path);
    // Reads the document from text (UTF-8 or with a byte-order mark); as load.
    bool loadXML(std::string_view text);
    // Writes the document to a Windows path, replacing any file there; a failed write leaves no
    // file behind.
    HRESULT save(std::u16string_view path) const;
    // The document as it would be saved.
    std::string xml() const;
    // Why the last load failed, for messages ("" after a successful one).
    const std::string& parseError() const;

    DomNode documentElement() const;
    DomNode asNode() const;
    DomNodeList childNodes() const { return asNode().childNodes(); }

    DomNode createElement(std::u16string_view name);
    // The target "xml" makes the document's declaration; data holds its pseudo-attributes.
    DomNode createProcessingInstruction(std::u16string_view target, std::u16string_view data);
    DomNode createComment(std::u16string_view text);
    DomNode createTextNode(std::u16string_view text);
    DomNode appendChild(const DomNode& child) { return asNode().appendChild(child); }

private:
    std::shared_ptr<DocumentState> state_;
    bool async_ = true;
};

// Creates a document object, or null when creation fails (see FailDocumentCreation).
std::unique_ptr<DomDocument> CreateDomDocument();

// Makes CreateDomDocument fail while set (tests of callers that must cope with no XML object).
void FailDocumentCreation(bool fail);

}  // namespace platform::xml
