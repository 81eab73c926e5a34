// Conversion of reals to text in the host's unit modes.
#pragma once

// Mode 1 scientific, 2 decimal, 3 engineering, 4 architectural, 5 fractional; precision is the
// number of decimals. Mode -1 / precision -1 take the drawing's LUNITS / LUPREC (2 and 4). The
// buffer must hold 64 bytes. RTNORM, or RTERROR for an unknown mode.
int acdbRToS(double value, int mode, int precision, char* text);
