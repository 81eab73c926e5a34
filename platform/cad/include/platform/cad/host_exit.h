// Ending the host (a module does it through ExitProcess, which the host takes over).
// The request is recorded, not carried out at once: prompts cancel from then on, no further
// command or script line runs, and the program ends with the code when control is back in its
// command loop. Tests read the code instead of losing the process.
#pragma once

#ifdef DERO_HOST_EXTRAS
namespace platform::cad {

void ExitHost(int exitCode);
bool HostExitRequested();
int HostExitCode();
// For tests and a program that starts anew.
void ClearHostExit();

}  // namespace platform::cad
#endif
