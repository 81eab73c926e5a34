// The buttons of each message-box type, their names, and what closing a box without an answer
// gives.
#pragma once

#include <string>

#include "platform/ui/messages.h"

namespace platform::ui::detail {

bool BoxHasButton(UINT type, int button);
// The result of a box nobody answered: Cancel where the box has one; otherwise the answer that
// declines (No, Abort) or the only one (OK).
int BoxCancelResult(UINT type);
const char* ButtonsName(UINT type);
std::string ButtonName(int button);
// Parses "yes", "ok", "cancel"... or a number; 0 when unknown.
int ParseButton(const std::string& name);

}  // namespace platform::ui::detail
