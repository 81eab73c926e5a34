// What the installer knows about one install target: the install description, the patch wizard's
// configuration item and the installed-product record. Plain values, copied member by member.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace Setup {

// One install of the product into one host profile, or one standalone install. The comments give
// the names under which a member appears in "setup.xml" and in the registry.
struct CADVer {
    // Both identifiers, the placeholder user company and the computer name as the user name.
    CADVer();

    int installed = 0;              // 1: has an install record or was found installed
    std::u16string cadProductName;  // host product name
    std::u16string cadFolder;       // host installation folder, no trailing backslash
    std::u16string cadRegistryKey;  // register (prefix): the host's key below the current user
    std::u16string installFolder;   // installfolder, InstallLocation
    std::u16string profileName;     // profilename, configname
    std::u16string product;         // product, DisplayName: key name of the records
    std::u16string company;         // company, Publisher
    std::u16string userName;        // username
    std::u16string userCompany;     // usercompany
    std::u16string guid;            // guid, GUID
    std::u16string cadVersion;      // cadver: host version key
    std::u16string title;           // title: wizard title
    std::u16string source;          // source: folder below the cabinet's setup-program folder
    std::u16string picture;         // picture in setup.xml, installsize in the registry
    std::u16string cadProduct;      // cadproduct: "ZWCAD..." selects ZWCAD
    std::u16string recordPath;      // registry path of the install record, when read from it
    std::u16string iconFile;        // deroico: relative to the install folder
    std::u16string version;         // version: version label, also the shortcuts' name
    std::u16string buildGuid;       // buildguid
    std::u16string relatedFile;     // relatedfile: standalone program (over 4 characters)
    std::u16string relatedIcon;     // relatedicon: package-file icon, relative to the system folder
    std::u16string extName;         // extname: package-file extension without the dot
    int restart = 0;                // restart: the install needs a restart
    std::u16string componentTarget; // component destination, or "AutoCAD" for the host's folder
    int fresh = 1;                  // 1 fresh target, 0 matched with an installed copy
    int fileNum = 0;                // filenum: files of the package or component
    std::u16string zwcadVersion;    // ZWCAD version key name

    // A standalone product keeps its system files in the install folder itself.
    bool HasCustomSystemFolder() const;
    std::u16string GetSystemFolder() const;
};

inline constexpr char16_t kProductGuid[] = u"{94D19DC3-7A61-45d9-9E6B-A26F9CBB00B3}";
inline constexpr char16_t kBuildGuid[] = u"{5296E526-6BC7-476c-9B2A-F010F267655C}";
inline constexpr char16_t kUserCompanyPlaceholder[] = u"用户单位";

// One target chosen in the patch wizard: 0 configname, 1 installfolder, 2 register, 5 product
// from the install record; 3, 4 and 6 from the matching host profile entry.
struct ConfigItem {
    std::array<std::u16string, 7> texts;
};

// An installed copy as the uninstall finds it. The uninstall worker sets the product and the
// embedded description (the copy chosen in the wizard) and stores the progress window first.
struct InstallInfo {
    // Uninstalls with a backup in the temporary folder + "\derorecovery", from which a cancelled
    // run is restored; without room for it (or without the folder) falls back to RemoveProduct.
    void UninstallProduct();
    // Uninstalls without a backup.
    void RemoveProduct();
    // Puts back every file the stopped uninstall moved aside and removes the recovery folder; a
    // file that cannot be put back is reported and kept there (so is the folder).
    void RestoreFromRecovery();
    // 1: reads the install record (or, without one, the uninstall entry) into the texts;
    // 0: also removes the records, the file type and the host profile.
    void LoadOrRemoveInstallRecord(int mode);
    // Removes the files listed in the copy's installed "setup.xml"; true when it listed more than
    // two.
    bool DeleteInstalledFiles();
    std::u16string GetProductSystemFolder() const;
    // Moves a file aside while a recovery folder is set (else deletes it), then removes the
    // folders it emptied up to the install folder. False when the file is still there.
    bool RemoveFileToRecovery(std::u16string_view path);
    // Copies source to destination and deletes the source once the copy stands; with record set
    // the pair is recorded for the restore before anything moves. Returns whether it copied.
    bool MoveFileRecorded(std::u16string_view source, std::u16string_view destination, bool record);
    // Removes a file or a folder tree, a line per file. Never a drive, a special folder or a folder
    // holding one, and never through a link. True when the path is gone.
    bool DeletePathWithProgress(std::u16string_view path);

    std::u16string registerPath;         // register
    std::u16string product;              // key name of the install record and uninstall entry
    std::u16string installFolder;        // installfolder
    std::u16string desktopShortcut;      // shortcut
    std::u16string startMenuShortcut;    // startmenu
    std::u16string quickLaunchShortcut;  // quicklaunch
    std::u16string extName;              // extname
    std::u16string extNameFile;          // extnamefile
    CADVer description;
    int fileCount = 0;    // filenum
    int installSize = 0;  // installsize, megabytes
};

// Where the computer name comes from: GetComputerNameW unless replaced (the buffer's size in
// characters in, the name's length out). Null restores GetComputerNameW.
using ComputerNameQuery = BOOL (*)(LPWSTR buffer, LPDWORD size);
void SetComputerNameQuery(ComputerNameQuery query);

}  // namespace Setup
