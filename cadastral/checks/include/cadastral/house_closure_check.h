// The house closure check: every house outline of the drawing that the host does not flag as
// closed becomes a finding in the browser, linked to its entity.
#pragma once

namespace cadastral {

// Browser item and finding text of the check.
inline constexpr const char* kHouseClosureTitle = "房屋闭合检查";
inline constexpr const char* kHouseNotClosedText = "该房屋没有闭合";
// Said instead of a summary when the code table is missing or empty.
inline constexpr const char* kNoCodeTableText = "编码表为空，无法区分地物类别，未做检查";

// The command CheckFWClosed: no prompts, works on the current drawing.
void CheckFWClosed();

}  // namespace cadastral
