#include "setup/engine/setup_xml.h"

#include <algorithm>
#include <climits>

#include "com_support.h"
#include "engine_support.h"
#include "package_names.h"
#include "platform/text/format.h"
#include "platform/xml/dom_document_object.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"
#include "setup/engine/installed_products.h"

namespace Setup {
namespace {

using detail::Decimal;
using detail::EqualNoCase;
using detail::ParseDecimal;
using platform::xml::DomNamedNodeMap;
using platform::xml::DomNode;

// The text of the attribute at a position, when there is one.
bool Attribute(const DomNamedNodeMap& attributes, long position, std::u16string* value) {
    const DomNode node = attributes.item(position);
    if (node.IsNull()) return false;
    *value = node.text();
    return true;
}

void ReadSetting(const DomNamedNodeMap& attributes, long position, int* setting) {
    std::u16string text;
    if (Attribute(attributes, position, &text)) *setting = ParseDecimal(text);
}

// A package that cannot be read may still be this program's installed copy, to be uninstalled.
int InstalledCopyFallback() {
    CADVer description;
    return ReadUninstallEntry(description) ? 1 : 0;
}

// A count of files: what an int holds, and not below 0; text that is no number counts 0.
bool ReadCount(std::u16string_view text, int* count) {
    const long long value = detail::ParseDecimalUnclamped(text);
    if (value < 0 || value > INT_MAX) return false;
    *count = static_cast<int>(value);
    return true;
}

// One "profile" element; false when one of positions 0 to 9 is missing or its count of files is
// out of range.
bool ReadProfile(const DomNamedNodeMap& a, CADVer* d) {
    std::u16string fileNum;
    if (!(Attribute(a, 0, &d->cadProduct) && Attribute(a, 1, &d->cadVersion) && Attribute(a, 2, &d->product) &&
          Attribute(a, 3, &d->profileName) && Attribute(a, 4, &d->picture) && Attribute(a, 5, &d->company) &&
          Attribute(a, 6, &d->title) && Attribute(a, 7, &fileNum) && Attribute(a, 8, &d->iconFile) &&
          Attribute(a, 9, &d->source)))
        return false;
    if (!ReadCount(fileNum, &d->fileNum)) return false;
    Attribute(a, 10, &d->guid);
    Attribute(a, 11, &d->buildGuid);
    Attribute(a, 12, &d->relatedFile);
    Attribute(a, 13, &d->relatedIcon);
    Attribute(a, 14, &d->extName);
    std::u16string restart;
    if (Attribute(a, 15, &restart)) d->restart = ParseDecimal(restart);
    Attribute(a, 17, &d->componentTarget);
    Attribute(a, 18, &d->version);
    if (d->version.size() < 2) d->version = d->product;
    d->fresh = 1;
    return true;
}

bool IsComponentEntry(const CADVer& d) { return d.componentTarget.size() > 2; }

// An install under an empty product name would write its records into the uninstall root or the
// install-record root itself, and its uninstall would delete whole trees there; a host install
// without a profile name would do the same to the host's profiles.
bool HasUsableNames(const CADVer& d) {
    if (IsComponentEntry(d)) return true;
    return !d.product.empty() && (d.HasCustomSystemFolder() || !d.profileName.empty());
}

// The names that are joined to folders stay in them: one path part each (the product and profile
// names, the source folder, the program, the version that names the shortcuts), and the icons
// below their folders. An empty one leaves the path at its folder (an empty product or profile
// name is refused above).
bool NamesStayInTheirFolders(const CADVer& d) {
    const auto plain = [](const std::u16string& name) { return name.empty() || detail::IsPlainName(name); };
    const auto below = [](const std::u16string& path) { return path.empty() || detail::IsPathBelow(path); };
    return plain(d.product) && plain(d.profileName) && plain(d.source) && plain(d.relatedFile) && plain(d.version) &&
           below(d.iconFile) && below(d.relatedIcon);
}

}  // namespace

int LoadSetupXml() {
    g_packageProfiles.clear();
    g_componentEntries.clear();
    const detail::ComScope com;
    detail::ComRef<IDomDocumentObject> object;
    if (!detail::CreateXmlDocument(&object)) return 0;
    platform::xml::DomDocument& document = object->Document();
    if (g_programFolder.empty()) g_programFolder = detail::FolderOf(detail::RunningProgramPath());

    document.put_async(false);
    if (!document.load(g_programFolder + u"\\setup.xml")) return InstalledCopyFallback();
    const DomNode root = document.documentElement();
    if (root.IsNull()) return 0;
    const DomNamedNodeMap settings = root.attributes();
    // Background colour and picture are required; without them this is no package file.
    if (settings.length() < 2) return InstalledCopyFallback();
    ReadSetting(settings, 0, &g_backColor);
    ReadSetting(settings, 2, &g_totalSize);
    ReadSetting(settings, 3, &g_useHeader);
    ReadSetting(settings, 4, &g_useBackground);
    ReadSetting(settings, 5, &g_wizardMode);

    const platform::xml::DomNodeList children = root.childNodes();
    const long count = children.length();
    for (long i = 0; i < count; ++i) {
        const DomNode child = children.item(i);
        if (!EqualNoCase(child.nodeName(), u"profile")) continue;
        CADVer description;
        if (!ReadProfile(child.attributes(), &description) || !HasUsableNames(description) ||
            !NamesStayInTheirFolders(description))
            continue;
        if (i == 0) g_wizardTitle = description.title;
        g_packageProfiles.push_back(std::move(description));
    }

    // Component entries move to their own list, walking from the last profile to the first.
    for (std::size_t i = g_packageProfiles.size(); i-- > 0;) {
        if (!IsComponentEntry(g_packageProfiles[i])) continue;
        g_componentEntries.push_back(std::move(g_packageProfiles[i]));
        g_packageProfiles.erase(g_packageProfiles.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return 1;
}

void InstallEngine::WriteXmlInstallRecord() {
    const detail::ComScope com;
    detail::ComRef<IDomDocumentObject> object;
    if (!detail::CreateXmlDocument(&object)) return;
    platform::xml::DomDocument* document = &object->Document();
    DomNode root = document->createElement(u"Root");
    const DomNode declaration =
        document->createProcessingInstruction(u"xml", u"version=\"1.0\" encoding=\"utf-8\"");
    const DomNode comment = document->createComment(u"install file,version 1.0");
    document->put_preserveWhiteSpace(true);
    document->appendChild(declaration);
    document->appendChild(comment);
    document->appendChild(root);

    root.setAttribute(u"backcolor", u"1");
    root.setAttribute(u"backimage", u"dero9.bmp");
    root.setAttribute(u"totalsize", Decimal(g_totalSize));
    root.setAttribute(u"useheader", Decimal(g_useHeader));
    root.setAttribute(u"usebackground", Decimal(g_useBackground));

    const CADVer& d = description;
    DomNode profile = document->createElement(u"profile");
    profile.setAttribute(u"cadproduct", d.cadProduct);
    profile.setAttribute(u"cadver", d.cadVersion);
    profile.setAttribute(u"product", d.product);
    profile.setAttribute(u"profilename", d.profileName);
    profile.setAttribute(u"picture", d.picture);
    profile.setAttribute(u"company", d.company);
    profile.setAttribute(u"title", d.title);
    profile.setAttribute(u"filenum", Decimal(d.fileNum));
    profile.setAttribute(u"deroico", d.iconFile);
    profile.setAttribute(u"source", d.source);
    profile.setAttribute(u"guid", u"");
    profile.setAttribute(u"buildguid", u"");
    profile.setAttribute(u"relatedfile", d.relatedFile);
    profile.setAttribute(u"relatedicon", d.relatedIcon);
    profile.setAttribute(u"extname", d.extName);
    profile.setAttribute(u"restart", Decimal(d.restart));
    root.appendChild(profile);

    const LocalTime now = CurrentLocalTime();
    const std::u16string time = platform::text::Format(u"%d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                                                       now.hour, now.minute, now.second);
    for (const std::u16string& path : g_installedFiles) {
        const bool registration = std::any_of(registrationFiles.begin(), registrationFiles.end(),
                                              [&](const std::u16string& r) { return EqualNoCase(r, path); });
        DomNode file = document->createElement(registration ? u"regfile" : u"insfile");
        file.setAttribute(u"path", path);
        file.setAttribute(u"time", time);
        file.setAttribute(u"version", u"9.0");
        root.appendChild(file);
    }
    document->save(d.GetSystemFolder() + u"\\setup.xml");
}

}  // namespace Setup
