// The walk that the house and the patch overlap checks share: every feature of a layer is tested
// for closure and vertex count, then related to each feature of its kind that a crossing polygon
// over its outline selects.
#pragma once

namespace cadastral::detail {

struct PairFinding {
    int relation;
    bool eachPairOnce;  // reported from the lower id only
    const char* text;   // "%d ..." with the running number
};

struct PairOverlapCheck {
    const char* filter;         // the features' filter text
    const char* selectionCode;  // exact feature code of the whole-drawing selection, or ""
    const char* neighbourCode;  // code pattern of the crossing selection
    const char* noneText;       // said when the drawing has none
    const char* overlapTitle;
    const char* openTitle;
    const char* fewVerticesTitle;
    const char* meterText;
    const char* openText;         // "%d ..."
    const char* fewVerticesText;  // "%d ... %d ..."
    const PairFinding* findings;
    int findingCount;
};

// False when the drawing has no such feature (the check said so and did nothing); the browser
// is shown when something was found.
bool RunPairOverlapCheck(const PairOverlapCheck& check);

}  // namespace cadastral::detail
