// The export by category: the drawing saved as a MapGIS project under a folder the user picks,
// one folder and one file per category, each file made from a template file of its kind found on
// the host's search path, and the project under the folder "工程".
#pragma once

#include <string_view>

#include "gisexchange/work_view.h"

namespace gisexchange {

// The whole export, asking for the folder and the project name.
void GeoportSaveDriver(CGisWorkView& view);
// The export on a work view of its own, for the command that runs it.
void ExportByCategory();

// Creates every folder along the path; the result of creating the last one.
BOOL CreateFolderPath(const char* path);
// Whether the name can stand as a file name: not empty, and none of the characters a file name
// cannot hold (so that nothing is written outside the chosen folder).
bool IsValidProjectName(std::string_view name);
// The project "<folder>工程\<name>.mpj" from the template "GongChen.mpj", listing the ten
// category files; false when there is no template or the write failed (named on the command
// line).
bool WriteProjectFile(CGisWorkView& view, const char* folder, const char* name);

// One category each; the target is the file to write. False when nothing was written: a missing
// or unloadable template (silently) or a failed write (named on the command line).
bool WriteAnnotationLayer(CGisWorkView& view, const char* target);
bool WriteBreakPoints(CGisWorkView& view, const char* target);
bool WriteScatteredPoints(CGisWorkView& view, const char* target);
bool WritePatchLines(CGisWorkView& view, const char* target);
bool WriteLinearFeatures(CGisWorkView& view, const char* target);
bool WriteOwnershipLines(CGisWorkView& view, const char* target);
bool WriteAdminLines(CGisWorkView& view, const char* target);
bool WriteAdminAreas(CGisWorkView& view, const char* target);
bool WriteOwnershipAreas(CGisWorkView& view, const char* target);
bool WritePatchAreas(CGisWorkView& view, const char* target);

}  // namespace gisexchange
