// Small commands that number, select and check boundary points, points of the second class
// (turning points) and notes, and the map patches inside a polygon for other programs.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

inline constexpr const char* kShpNoteTitle = "导Shp注记";
inline constexpr const char* kMaxPointNumberTitle = "最大界址点号";
inline constexpr const char* kBareVertexTitle = "宗地有节点不是界址点或者拐点";
inline constexpr const char* kTurnedPointTitle = "转化界址点";

void TopoTest();
void GetMaxJZDH();
void SelEnts();
void CheckParcelVertex();
void CheckJzxAndGd();
void ArrangeGDDM();

// The patches ("*polyline" on "DLJ") wholly inside the closed polyline, and those on its outline
// that lie inside it touching it. False for a curve that is not closed or a failed fence.
bool SelectPatchesInPolygon(const ads_name polygon, AcDbObjectIdArray& patches);

// Id arrays handed to callers by a non-zero 32-bit key: a caller takes its array by the key and
// owns it; arrays of a drawing never taken are freed when the drawing closes.
std::int32_t KeepPatchArray(std::unique_ptr<AcDbObjectIdArray> patches);
std::unique_ptr<AcDbObjectIdArray> TakePatchArray(std::int32_t key);
// Watches the drawings closing while the module is loaded.
void AddPatchArrayReactor();
void RemovePatchArrayReactor();

}  // namespace cadastral
