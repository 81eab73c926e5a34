// The thread's use of COM while the module is loaded: initialised at load for the
// relation-table export of the exchange package, ended at unload.
//
// The toolkit keeps the thread's initialisation count itself, with the answers CoInitialize and
// CoUninitialize give: S_OK for the first initialisation of the thread, S_FALSE for each further
// one, so that unload ends exactly the use that load began.
#pragma once

#include "platform/win/win_types.h"

namespace cadastral {

inline constexpr long kComOk = 0;     // S_OK
inline constexpr long kComFalse = 1;  // S_FALSE

long ComInitialize();
void ComUninitialize();
// How many initialisations of this thread are not yet ended.
int ComInitializations();

}  // namespace cadastral
