// Display colours (mapdsp60.dll).
#pragma once

// 402: the number of the nearest colour of the fixed colour table (see the module's README).
short GisColorNumber(int red, int green, int blue);
