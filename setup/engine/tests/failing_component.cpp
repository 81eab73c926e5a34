// A component whose self-registration fails, as a broken package's would.
#include "platform/win/win_types.h"

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() { return E_FAIL; }
