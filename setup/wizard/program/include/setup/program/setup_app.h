// The setup program's application: checks the user's rights and a pending restart, unpacks what
// is appended to the program file into the work folder, reads "setup.xml" and runs the setup or
// the patch wizard, over the backdrop when the package asks for it. Everything happens in its
// initialisation; the exit step starts the self-deleting batch after an uninstall.
#pragma once

#include <string>

#include "platform/ui/afx_app.h"
#include "platform/win/win_types.h"

namespace Setup {

class CDero安装向导App : public CWinApp {
public:
    CDero安装向导App();
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Non-zero when the exit step is to start the self-deleting batch.
    int selfDelete = 0;
};

// The token's elevation type (3: a limited token that user account control filters); false
// when the token cannot be read.
bool QueryTokenElevation(DWORD* elevationType);

// The temporary folder + "derosetup".
std::u16string WorkFolderPath();

// Writes "derodel.bat" in the temporary folder, which deletes the program, the product's empty
// folders and itself, and starts it through COMSPEC. 0 on success or when nothing was
// attempted (no COMSPEC, no program file), else the error of the failed start.
DWORD WriteSelfDeleteBatch();

}  // namespace Setup
