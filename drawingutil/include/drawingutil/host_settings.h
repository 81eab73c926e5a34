// Host settings a command changes while it works and puts back afterwards: the object-snap mode
// ("osmode") and the pick style ("pickstyle"; 0 switches group selection off).
#pragma once

// The current object-snap mode; sets it to `mode` when it differs.
int SetOsnapMode(int mode);
// Sets the object-snap mode to `mode` when it differs.
void RestoreOsnapMode(int mode);
// The current pick style; sets it to 0 when it is not 0.
int DisablePickStyle();
// Puts a saved pick style back; a style of 0 changes nothing.
void RestorePickStyle(int style);
