#include "setup/engine/host_detection.h"

#include <algorithm>

#include "engine_support.h"
#include "platform/win/registry.h"
#include "setup/engine/install_state.h"
#include "setup/engine/installed_products.h"

namespace Setup {
namespace {

using detail::EqualNoCase;
using detail::RegKey;

// Matching with a package profile replaces these.
constexpr char16_t kAutocadCompany[] = u"Autodesk";
constexpr char16_t kZwcadCompany[] = u"ZWSoft";

std::u16string WithoutOneBackslash(std::u16string path) {
    if (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
}

// "MAP3D" anywhere in the host product, blanks and case aside, marks the map edition.
bool IsMapEdition(std::u16string_view cadProduct) {
    std::u16string folded;
    for (const char16_t c : cadProduct)
        if (c != u' ' && c != u'\t') folded += detail::FoldChar(c);
    return folded.find(u"map3d") != std::u16string::npos;
}

template <typename Visit>
void ForEachSubkey(const RegKey& key, Visit visit) {
    const int count = key.SubkeyCount();
    for (int i = 0; i < count; ++i) {
        const std::u16string name = key.SubkeyName(static_cast<DWORD>(i));
        if (!name.empty()) visit(name);
    }
}

}  // namespace

int DetectAutocadProfiles(std::u16string_view rootPath, HKEY root, std::vector<CADVer>& hosts) {
    RegKey rootKey;
    if (!rootKey.Open(root, u"", KEY_READ)) return 1;
    ForEachSubkey(rootKey, [&](const std::u16string& release) {
        RegKey releaseKey;
        if (!releaseKey.Open(root, release, KEY_READ)) return;
        ForEachSubkey(releaseKey, [&](const std::u16string& product) {
            RegKey productKey;
            std::u16string location;
            if (!productKey.Open(releaseKey.get(), product, KEY_READ)) return;
            location = WithoutOneBackslash(productKey.QueryString(u"AcadLocation", 1024));
            if (location.empty() || !detail::IsFile(location + u"\\acad.exe")) return;
            CADVer host;
            host.installed = 0;
            host.cadFolder = location;
            host.cadProductName = host.cadProduct = productKey.QueryString(u"ProductName", 1024);
            host.cadVersion = release;
            host.cadRegistryKey = std::u16string(rootPath) + u"\\" + release + u"\\" + product;
            host.company = kAutocadCompany;
            host.product = u"dero 9.1";
            hosts.push_back(std::move(host));
        });
    });
    return 1;
}

int DetectZwcadProfiles(std::u16string_view rootPath, HKEY root, std::vector<CADVer>& hosts) {
    RegKey rootKey;
    if (!rootKey.Open(root, u"", KEY_READ)) return 1;
    ForEachSubkey(rootKey, [&](const std::u16string& product) {
        RegKey productKey;
        if (!productKey.Open(root, product, KEY_READ)) return;
        ForEachSubkey(productKey, [&](const std::u16string& version) {
            RegKey versionKey;
            if (!versionKey.Open(productKey.get(), version, KEY_READ)) return;
            const std::u16string location = WithoutOneBackslash(versionKey.QueryString(u"Location", 4096));
            if (location.empty() || !detail::IsFile(location + u"\\zwcad.exe")) return;
            CADVer host;
            host.installed = 0;
            host.cadFolder = location;
            host.cadProductName = host.cadProduct = u"ZWCAD\\" + product;
            host.cadVersion = product + version;
            host.zwcadVersion = version;
            host.cadRegistryKey = std::u16string(rootPath) + u"\\" + product + u"\\" + version;
            host.company = kZwcadCompany;
            host.product = u"dero 2008";
            hosts.push_back(std::move(host));
        });
    });
    return 1;
}

int DetectHostVersions(std::vector<CADVer>& targets, std::vector<CADVer>& installedCopies) {
    targets.clear();
    {
        RegKey root;
        if (root.Open(HKEY_LOCAL_MACHINE, kAutocadRoot, KEY_READ)) DetectAutocadProfiles(kAutocadRoot, root.get(), targets);
    }
    {
        RegKey root;
        if (root.Open(HKEY_LOCAL_MACHINE, kZwcadRoot, KEY_READ)) DetectZwcadProfiles(kZwcadRoot, root.get(), targets);
    }

    // Each host keeps the first package profile made for its version and edition.
    for (std::size_t i = targets.size(); i-- > 0;) {
        CADVer& target = targets[i];
        const auto profile = std::find_if(g_packageProfiles.begin(), g_packageProfiles.end(), [&](const CADVer& p) {
            return !p.HasCustomSystemFolder() && EqualNoCase(p.cadVersion, target.cadVersion) &&
                   IsMapEdition(p.cadProduct) == IsMapEdition(target.cadProduct);
        });
        if (profile == g_packageProfiles.end()) {
            targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        target.picture = profile->picture;
        target.source = profile->source;
        target.title = profile->title;
        target.company = profile->company;
        target.product = profile->product;
        target.profileName = profile->profileName;
        target.fileNum = profile->fileNum;
        target.iconFile = profile->iconFile;
        target.version = profile->version;
        target.relatedFile = profile->relatedFile;
        target.relatedIcon = profile->relatedIcon;
        target.extName = profile->extName;
        target.restart = profile->restart;
        target.guid = profile->guid;
        target.buildGuid = profile->buildGuid;
    }

    // A standalone product is installed when its own key exists below the current user.
    for (const CADVer& profile : g_packageProfiles) {
        if (!profile.HasCustomSystemFolder()) continue;
        RegKey own;
        if (!own.Open(HKEY_CURRENT_USER, u"Software\\" + profile.product, KEY_READ)) {
            targets.push_back(profile);
            continue;
        }
        CADVer installed = profile;
        installed.cadRegistryKey = u"Software\\" + profile.product;
        installed.fresh = 0;
        installed.installed = 1;
        const auto copy = std::find_if(installedCopies.begin(), installedCopies.end(),
                                       [&](const CADVer& c) { return EqualNoCase(c.product, profile.product); });
        if (copy != installedCopies.end()) *copy = std::move(installed);
        else installedCopies.push_back(std::move(installed));
    }

    // An installed host copy takes over its host's target: it is updated or uninstalled instead.
    for (std::size_t i = installedCopies.size(); i-- > 0;) {
        CADVer& copy = installedCopies[i];
        if (copy.HasCustomSystemFolder()) continue;
        for (std::size_t j = targets.size(); j-- > 0;) {
            const CADVer& target = targets[j];
            if (target.HasCustomSystemFolder() || !EqualNoCase(target.product, copy.product)) continue;
            copy.source = target.source;
            copy.company = target.company;
            copy.fileNum = target.fileNum;
            copy.cadFolder = target.cadFolder;
            copy.cadRegistryKey = target.cadRegistryKey;
            copy.cadVersion = target.cadVersion;
            copy.picture = target.picture;
            copy.guid = target.guid;
            copy.buildGuid = target.buildGuid;
            copy.iconFile = target.iconFile;
            copy.relatedFile = target.relatedFile;
            copy.relatedIcon = target.relatedIcon;
            copy.extName = target.extName;
            copy.restart = target.restart;
            copy.version = target.version;
            // The title too: the update writes the installed "setup.xml" from this copy, and the
            // uninstall's wizard takes its caption from there.
            copy.title = target.title;
            // The host's product and ZWCAD version key too: an update picks the profile edit and
            // the ZWCAD profile key by them.
            copy.cadProductName = target.cadProductName;
            copy.cadProduct = target.cadProduct;
            copy.zwcadVersion = target.zwcadVersion;
            copy.fresh = 0;
            targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(j));
            break;
        }
    }

    // Copies of products this package no longer names are not offered.
    for (std::size_t i = installedCopies.size(); i-- > 0;) {
        const bool named = std::any_of(g_packageProfiles.begin(), g_packageProfiles.end(), [&](const CADVer& p) {
            return EqualNoCase(p.product, installedCopies[i].product);
        });
        if (!named) installedCopies.erase(installedCopies.begin() + static_cast<std::ptrdiff_t>(i));
    }

    if (!detail::IsFile(g_programFolder + u"\\data.cab") || !detail::IsFile(g_programFolder + u"\\setup.xml"))
        targets.clear();
    return 1;
}

void ReadInstallRecords(std::vector<CADVer>& installedCopies) {
    installedCopies.clear();
    constexpr char16_t kRecords[] = u"software\\quorvane\\install";
    RegKey records;
    if (records.Open(HKEY_CURRENT_USER, kRecords, KEY_READ)) {
        ForEachSubkey(records, [&](const std::u16string& name) {
            RegKey record;
            if (!record.Open(records.get(), name, KEY_READ)) return;
            const std::u16string guid = record.QueryString(u"GUID", 4096);
            if (guid.empty()) return;
            CADVer copy;
            copy.installed = 1;
            copy.guid = guid;
            copy.product = name;
            copy.recordPath = std::u16string(kRecords) + u"\\" + name;
            copy.profileName = record.QueryString(u"configname", 256);
            installedCopies.push_back(std::move(copy));
        });
    }
    std::vector<CADVer> entries;
    ListInstalledProducts(entries);
    for (CADVer& entry : entries) {
        const bool known = std::any_of(installedCopies.begin(), installedCopies.end(), [&](const CADVer& c) {
            return EqualNoCase(c.product, entry.product) && EqualNoCase(c.profileName, entry.profileName);
        });
        if (known) continue;
        entry.installed = 1;
        entry.recordPath = std::u16string(kRecords) + u"\\" + entry.product;
        installedCopies.push_back(std::move(entry));
    }
}

}  // namespace Setup
