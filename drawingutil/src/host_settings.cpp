#include "drawingutil/host_settings.h"

#include "platform/cad/system_variables.h"

namespace {

// The value of a 16-bit system variable; 0 when the host cannot give it.
int ReadShort(const char* name)
{
    resbuf value{};
    if (acedGetVar(name, &value) != RTNORM || value.restype != RTSHORT)
        return 0;
    return value.resval.rint;
}

void WriteShortIfChanged(const char* name, int current, int wanted)
{
    if (current == wanted)
        return;
    resbuf value{};
    value.restype = RTSHORT;
    value.resval.rint = static_cast<short>(wanted);
    acedSetVar(name, &value);
}

}  // namespace

int SetOsnapMode(int mode)
{
    int current = ReadShort("osmode");
    WriteShortIfChanged("osmode", current, mode);
    return current;
}

void RestoreOsnapMode(int mode) { WriteShortIfChanged("osmode", ReadShort("osmode"), mode); }

int DisablePickStyle()
{
    int current = ReadShort("pickstyle");
    WriteShortIfChanged("pickstyle", current, 0);
    return current;
}

void RestorePickStyle(int style)
{
    if (style != 0)
        WriteShortIfChanged("pickstyle", ReadShort("pickstyle"), style);
}
