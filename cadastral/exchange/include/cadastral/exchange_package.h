// The land-registry exchange package: the parcels chosen by the user, what the main drawing
// application exports for them into a package folder, and the folder packed into one ZIP archive.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cadastral/folder_tree.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"

namespace cadastral {

// What the relation tables have read of each parcel's boundary lines, kept for the run.
struct ParcelLineCache;

// The context of one export run, built empty and dropped after it.
class CRelationExport {
public:
    struct Parcel {
        AcDbObjectId id;
        std::string code;
    };
    struct Note {
        std::string text;
        AcDbObjectId id;
    };

    // In ascending code order (byte-wise); of equal codes the one added later comes first.
    std::vector<Parcel> parcels;
    AcDbObjectIdArray boundaryPoints;
    // Boundary-point notes in ascending order of their text.
    std::vector<Note> notes;
    AcDbObjectIdArray parcelPoints;
    AcDbObjectIdArray lineNoteLines;
    AcDbObjectIdArray lineNoteTexts;
    AcDbObjectIdArray sharedLines;
    AcDbObjectIdArray exportList;
    bool wholeDrawing = false;
    bool exportShp = true;
    std::string packageFolder;
    double tolerance = 0.001;
    std::shared_ptr<ParcelLineCache> parcelLines;
};

// The longest folder path (with its trailing backslash) the package may have.
inline constexpr std::size_t kMaxPackageFolderLength = 259;

// Runs the export; true when the package folder is ready for packing, its path (ending in a
// backslash) then in folder.
bool ExportExchangePackage(CRelationExport& context, std::string& folder);

// The shell's folder browser starting at the last base folder; empty when cancelled.
std::string BrowseForPackageFolder();

// One export with a fresh context.
bool RunExchangeExport(std::string& folder);

// The command PELGARDBF.
void PELGARDBF();

}  // namespace cadastral
