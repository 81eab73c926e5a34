// The drawing scale: the denominator (500 for 1:500) kept in the drawing's "userr1"; below 3 it
// counts as unset. The linetype scale follows it as scale x 0.001.
#pragma once

// The scale of the drawing. When it is unset, asks on the command line until the answer is 3 or
// more (Enter, cancel or an error means 500), stores it and sets the linetype scale through the
// host's "LTSCALE" command.
void GetDrawingScale(double& scale);
