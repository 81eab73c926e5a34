#include "gisexchange/gis_file.h"

#include <cstring>

namespace gisexchange {
namespace {

// The ending sequence; every call answers 0 harmlessly on a handle that names nothing.
void EndFile(short& workspace, short& slot)
{
    if (GisSlotHasFile(slot) != 0) {
        GisCloseFile(slot, 0);
        GisFreeSlot(slot);
    }
    GisFreeWorkspace(workspace);
    workspace = 0;
    slot = 0;
}

}  // namespace

LONG CGisFileView::OpenGisFile(const char* path, short kind)
{
    CloseGisFile();
    m_workspace = GisNewWorkspace(0);
    m_slot = GisGetFileSlot(m_workspace, kind);
    char buffer[256] = {};
    if (path == nullptr || std::strlen(path) >= sizeof buffer) return 0;
    std::strcpy(buffer, path);
    return GisLoadFile(buffer, m_slot, 0, 0, 0);
}

void CGisFileView::CloseGisFile() { EndFile(m_workspace, m_slot); }

GisSaveResult SaveGisFile(const GisOutputHandles& output, bool force)
{
    if (GisIsEmpty(output.file) != 0 && !force) return GIS_SAVE_EMPTY;
    return GisSaveFile(output.file, output.path, GIS_SAVE_MODE, 0, 0, 0) > 0 ? GIS_SAVE_DONE : GIS_SAVE_FAILED;
}

void CloseGisFileB(GisOutputHandles& output)
{
    EndFile(output.workspace, output.slot);
    output.file = 0;
}

}  // namespace gisexchange
