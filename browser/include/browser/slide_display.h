// The command "KELVO_SHOWSLIDES": shows the pending point or polyline link as a highlighted picture
// over the drawing. The highlights are drawn inside an undo group, recorded as a slide, undone, and
// the slide is shown, so the drawing is left as it was and no slide file stays behind.
#pragma once

void ShowSlidesCommand();
