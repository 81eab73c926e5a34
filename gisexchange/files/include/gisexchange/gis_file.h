// Opening, saving and closing one MapGIS file through its workspace and file slot.
#pragma once

#include "platform/gis/bas60.h"
#include "platform/gis/gis_view.h"
#include "platform/win/win_types.h"

namespace gisexchange {

// The view a conversion works on holds the workspace and the file slot of the file it reads or
// writes. Closing is harmless when nothing is open, so every path out of a command may close.
class CGisFileView : public CGisEditView {
public:
    CGisFileView() = default;
    ~CGisFileView() override { CloseGisFile(); }

    // A new workspace and a slot of the kind, then the load: above 0 when the file was loaded.
    // A path that does not fit the library's 256-byte buffer is not loaded (0).
    LONG OpenGisFile(const char* path, short kind);
    void CloseGisFile();

    short m_workspace = 0;
    short m_slot = 0;
};

// The handles of one output file of the table-driven export.
struct GisOutputHandles {
    char path[260] = {};
    short workspace = 0;
    short slot = 0;
    short file = 0;
};

// What became of an output file; anything but saved leaves it out of the project.
enum GisSaveResult : int {
    GIS_SAVE_DONE = 0,
    GIS_SAVE_EMPTY = 1,    // nothing in it and not forced: nothing written
    GIS_SAVE_FAILED = -1,  // the write failed: nothing under its name
};

GisSaveResult SaveGisFile(const GisOutputHandles& output, bool force);
void CloseGisFileB(GisOutputHandles& output);

}  // namespace gisexchange
