// The installer's configuration file "setup.xml": the package's own file beside the setup
// program, read at start-up. (The installed copy is written by InstallEngine.)
#pragma once

namespace Setup {

// Reads the program folder + "\setup.xml" into the wizard settings, the package profiles and the
// component entries. 1 when it was read, or when it was not but the uninstall entry of this very
// program exists; 0 otherwise. Attributes are read by position, whatever their names.
int LoadSetupXml();

}  // namespace Setup
