#include "cadastral/com_apartment.h"

namespace cadastral {
namespace {

thread_local int g_initializations = 0;

}  // namespace

long ComInitialize() {
    return g_initializations++ == 0 ? kComOk : kComFalse;
}

void ComUninitialize() {
    if (g_initializations > 0)
        --g_initializations;
}

int ComInitializations() {
    return g_initializations;
}

}  // namespace cadastral
