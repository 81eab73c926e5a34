// Lets the host handle window messages during a long loop of a command.
#pragma once

// One pass of the host's message loop: handles one pending message of the thread, if any (a quit
// message is posted again, so that the host's own loop still ends), then runs the framework's idle
// processing.
void PumpMessages();
