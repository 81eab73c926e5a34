// The document object on a private mapped root.
#include "platform/xml/dom_document.h"
#include "platform/xml/dom_document_object.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win/fault_injection.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

// An interface the document object does not have.
constexpr IID IID_IPersistLikeNothing = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

using platform::xml::DomDocument;
using platform::xml::DomNode;

class DomDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        platform::win::SetRoot(folder_.path());
        std::filesystem::create_directories(folder_.path() + "/c/Setup");
    }
    void TearDown() override {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }
    std::string C(const std::string& rest) const { return folder_.path() + "/c/" + rest; }

    dero::testing::TempFolder folder_{"dero-xml"};
};

TEST_F(DomDocumentTest, LoadsThroughThePathMappingAndWalksTheTree) {
    dero::testing::WriteFile(C("Setup/setup.xml"),
                             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<!--made by hand-->\n"
                             "<Root backcolor=\"1\" backimage=\"a.bmp\">\n"
                             "  <!--first-->\n"
                             "  <profile product=\"\xe5\xb7\xa5\xe5\x85\xb7\" b=\"x &amp; y\"/>\n"
                             "  <note>one <b>two</b><![CDATA[ <three>]]></note>\n"
                             "</Root>\n");
    DomDocument doc;
    doc.put_async(false);
    ASSERT_TRUE(doc.load(u"c:\\SETUP\\Setup.XML")) << doc.parseError();

    // Declaration, comment, element; white space between elements is not a node.
    ASSERT_EQ(doc.childNodes().length(), 3);
    EXPECT_EQ(doc.childNodes().item(0).nodeName(), u"xml");
    EXPECT_EQ(doc.childNodes().item(0).text(), u"version=\"1.0\" encoding=\"utf-8\"");
    EXPECT_EQ(doc.childNodes().item(1).text(), u"made by hand");

    DomNode root = doc.documentElement();
    EXPECT_EQ(root.nodeName(), u"Root");
    EXPECT_EQ(root.attributes().length(), 2);
    EXPECT_EQ(root.attributes().item(1).text(), u"a.bmp");
    EXPECT_EQ(root.attributes().getNamedItem(u"backcolor").text(), u"1");
    EXPECT_TRUE(root.attributes().item(2).IsNull());
    EXPECT_TRUE(root.attributes().getNamedItem(u"BACKCOLOR").IsNull());  // names keep their case

    ASSERT_EQ(root.childNodes().length(), 3);
    EXPECT_EQ(root.childNodes().item(0).nodeName(), u"#comment");
    DomNode profile = root.childNodes().item(1);
    EXPECT_EQ(profile.attributes().item(0).nodeName(), u"product");
    EXPECT_EQ(profile.attributes().item(0).text(), u"工具");
    EXPECT_EQ(profile.attributes().item(1).text(), u"x & y");
    EXPECT_EQ(root.childNodes().item(2).text(), u"one two <three>");
    doc.createTextNode(u"not yet in the tree");
    EXPECT_EQ(doc.asNode().text(), u"one two <three>");
    EXPECT_TRUE(root.childNodes().item(3).IsNull());

    // Calls on null handles answer emptily.
    DomNode none = root.childNodes().item(9);
    EXPECT_EQ(none.nodeName(), u"");
    EXPECT_EQ(none.attributes().length(), 0);
    EXPECT_TRUE(none.appendChild(root).IsNull());

    // A failed reload empties the document, and handles into the old tree go null, not stale.
    EXPECT_FALSE(doc.load(u"C:\\Setup\\missing.xml"));
    EXPECT_TRUE(doc.documentElement().IsNull());
    EXPECT_TRUE(profile.IsNull());
    EXPECT_EQ(profile.attributes().item(0).text(), u"");
}

TEST_F(DomDocumentTest, RefusesWhatIsNotAWellFormedDocument) {
    DomDocument doc;
    EXPECT_FALSE(doc.loadXML("<Root a=\"1\"><profile></Root>"));
    EXPECT_FALSE(doc.parseError().empty());
    EXPECT_TRUE(doc.documentElement().IsNull());
    EXPECT_FALSE(doc.loadXML("<!-- only a comment -->"));
    EXPECT_FALSE(doc.loadXML("<a/><b/>"));
    // Deep nesting is read and walked without running out of stack.
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    deep += "x";
    for (int i = 0; i < 200000; ++i) deep += "</a>";
    ASSERT_TRUE(doc.loadXML(deep));
    EXPECT_EQ(doc.documentElement().text(), u"x");
    EXPECT_FALSE(doc.xml().empty());
    EXPECT_TRUE(doc.loadXML("\xef\xbb\xbf<a/>"));
    EXPECT_EQ(doc.documentElement().nodeName(), u"a");

    {
        platform::win::ScopedFaults faults;
        dero::testing::WriteFile(C("Setup/ok.xml"), "<a/>");
        platform::win::InjectFault(platform::win::FaultKind::Read, u"*ok.xml");
        EXPECT_FALSE(doc.load(u"C:\\Setup\\ok.xml"));
    }
    EXPECT_TRUE(doc.load(u"C:\\Setup\\ok.xml"));
}

TEST_F(DomDocumentTest, KeepsWhiteSpaceWhenAsked) {
    DomDocument doc;
    doc.put_preserveWhiteSpace(true);
    ASSERT_TRUE(doc.loadXML("<Root>\n  <a/>\n</Root>"));
    DomNode root = doc.documentElement();
    ASSERT_EQ(root.childNodes().length(), 3);
    EXPECT_EQ(root.childNodes().item(0).nodeName(), u"#text");
    EXPECT_EQ(root.childNodes().item(0).text(), u"\n  ");
    EXPECT_EQ(doc.xml(), "<Root>\n  <a/>\n</Root>\r\n");
}

TEST_F(DomDocumentTest, BuildsAndSavesADocumentInAppendOrder) {
    DomDocument doc;
    doc.put_preserveWhiteSpace(true);
    DomNode root = doc.createElement(u"Root");
    DomNode declaration = doc.createProcessingInstruction(u"xml", u"version=\"1.0\" encoding=\"utf-8\"");
    DomNode comment = doc.createComment(u"install file,version 1.0");
    ASSERT_FALSE(root.IsNull());
    ASSERT_FALSE(declaration.IsNull());
    // Nothing created is part of the document until appended.
    EXPECT_EQ(doc.childNodes().length(), 0);
    EXPECT_TRUE(doc.documentElement().IsNull());

    EXPECT_FALSE(doc.appendChild(declaration).IsNull());
    EXPECT_FALSE(doc.appendChild(comment).IsNull());
    EXPECT_FALSE(doc.appendChild(root).IsNull());
    // Attributes given after appending land on the node in the tree; setting one again keeps
    // its place.
    EXPECT_EQ(root.setAttribute(u"b", u"1"), S_OK);
    EXPECT_EQ(root.setAttribute(u"a", u"<\"&>"), S_OK);
    EXPECT_EQ(root.setAttribute(u"b", u"2"), S_OK);
    DomNode child = doc.createElement(u"insfile");
    child.setAttribute(u"path", u"C:\\程序\\a.dll");
    EXPECT_FALSE(root.appendChild(child).IsNull());
    // One document element only, and a node cannot go below itself.
    EXPECT_TRUE(doc.appendChild(doc.createElement(u"Other")).IsNull());
    EXPECT_TRUE(child.appendChild(root).IsNull());
    EXPECT_TRUE(root.appendChild(doc.createProcessingInstruction(u"xml", u"version=\"1.0\"")).IsNull());
    EXPECT_TRUE(doc.createProcessingInstruction(u"xml", u"version=").IsNull());

    ASSERT_EQ(doc.save(u"C:\\Setup\\out.xml"), S_OK);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        "<!--install file,version 1.0-->\r\n"
        "<Root b=\"2\" a=\"&lt;&quot;&amp;>\"><insfile path=\"C:\\\xe7\xa8\x8b\xe5\xba\x8f\\a.dll\"/></Root>\r\n";
    EXPECT_EQ(dero::testing::ReadFile(C("Setup/out.xml")), expected);

    // What was saved reads back the same.
    DomDocument again;
    ASSERT_TRUE(again.load(u"C:\\Setup\\out.xml"));
    EXPECT_EQ(again.documentElement().attributes().item(1).text(), u"<\"&>");
    EXPECT_EQ(again.documentElement().childNodes().item(0).attributes().item(0).text(), u"C:\\程序\\a.dll");

    // A failed write leaves no file behind, not a partial one.
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::Write, u"*bad.xml");
    EXPECT_NE(doc.save(u"C:\\Setup\\bad.xml"), S_OK);
    EXPECT_FALSE(std::filesystem::exists(C("Setup/bad.xml")));
    EXPECT_NE(doc.save(u""), S_OK);
}

TEST_F(DomDocumentTest, ObjectsAreMadeByClassIdThroughCom) {
    IDomDocumentObject* object = nullptr;
    // Not before the thread initialised COM.
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IDomDocumentObject,
                               reinterpret_cast<void**>(&object)),
              CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IDomDocumentObject,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Document().loadXML("<Root a=\"1\"/>"));

    // Each object has a document of its own; the document lives as long as a reference does.
    IDomDocumentObject* other = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IDomDocumentObject,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    EXPECT_TRUE(other->Document().documentElement().IsNull());
    EXPECT_EQ(other->Release(), 0u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(object->Release(), 1u);
    IDomDocumentObject* again = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IDomDocumentObject, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again->Document().documentElement().nodeName(), u"Root");
    EXPECT_EQ(again->Release(), 1u);
    void* nothing = &other;
    EXPECT_EQ(unknown->QueryInterface(IID_IPersistLikeNothing, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
    EXPECT_EQ(unknown->Release(), 0u);

    // A document that cannot be made leaves the caller without an object.
    platform::xml::FailDocumentCreation(true);
    object = reinterpret_cast<IDomDocumentObject*>(&other);
    EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IDomDocumentObject,
                                        reinterpret_cast<void**>(&object))));
    EXPECT_EQ(object, nullptr);
    platform::xml::FailDocumentCreation(false);
    CoUninitialize();
}

}  // namespace
