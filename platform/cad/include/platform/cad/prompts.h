// The command line: printing, and the prompts that read a value. A prompt takes its answer from
// the arguments of a running acedCommand when it has some left, otherwise from the process-wide
// answer source (a test queue, a script, a person). An unanswered prompt is a cancel.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/cad/resbuf.h"

// Prints to the command line. The first argument is always a printf format.
int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// RTNORM with the value; RTNONE for Enter alone; RTCAN when cancelled. A text that is not a
// number asks again.
int acedGetReal(const char* prompt, ads_real* result);
int acedGetInt(const char* prompt, int* result);
// The answer up to its first blank (all of it with cronly), at most bufLen - 1 bytes, never
// splitting a character; RTINPUTTRUNCATED when it was cut.
int acedGetString(int cronly, const char* prompt, char* result, std::size_t bufLen = 133);
// A pick: the answer names the entity by its handle, optionally followed by the picked point
// ("2A" or "2A 10,20"). RTERROR for Enter or a miss, RTCAN when cancelled.
int acedEntSel(const char* prompt, ads_name entity, ads_point point);
// An alert box: it has one button, so nothing is asked; it is shown and recorded.
int acedAlert(const char* message);

namespace platform::cad {

// Everything the command line shows (GBK) goes to this writer as well as into the text kept for
// tests; null keeps only the text.
void SetCommandLineWriter(std::function<void(std::string_view gbk)> writer);
// The command-line text since the last clear.
const std::string& CommandLineText();
void ClearCommandLine();
// Shows text on the command line as it is (not a format).
void PrintToCommandLine(std::string_view gbk);

}  // namespace platform::cad
