// The installer's process-wide values besides those the engine keeps (install_state.h). Only the
// user-interface thread and the one running worker touch them, one after the other.
#pragma once

#include <string>

#include "setup/engine/install_records.h"
#include "setup/engine/install_state.h"

namespace Setup {

extern std::u16string g_programPath;     // the running program file; filled at start
extern std::u16string g_picturePath;     // the backdrop's picture, "setup.bmp" by default
extern std::u16string g_agreementPath;   // the agreement text, empty when there is none
extern std::u16string g_watermarkPath;   // work folder + "\__bitmapwater__.bmp" once extracted
extern std::u16string g_headerPath;      // work folder + "\__bitmaphead__.bmp" once extracted
extern std::u16string g_productFolder;   // the chosen install folder once an install starts
extern int g_restartWizard;              // 1: run the whole start-up again
extern int g_deleteWorkFolder;           // 0 keeps the work folder for a machine restart
extern int g_workerMode;                 // 0 install, 1 update, -1 uninstall
extern int g_workerDone;                 // 1 once the worker reported its end
extern CADVer g_chosenDescription;       // what the workers start from

// Fills g_programPath from the running program (called once at start).
void InitProgramPath();
// Resets the values of one pass of the start-up: worker flags, product folder, title, picture
// and agreement paths, the total size, and the program folder from the program path.
void InitSetupGlobals();

}  // namespace Setup
