// The overlap checks: houses reaching across parcel boundaries, houses over houses, map patches
// over patches, and island patches touching the patch that holds them. Each clears its browser
// items, compares every feature with what a polygon selection over its outline finds, and sends
// one finding per fault, linked to the entities concerned.
#pragma once

namespace cadastral {

inline constexpr const char* kHouseParcelTitle = "房屋与宗地相交检查";
inline constexpr const char* kHouseOverlapTitle = "房屋相交";
inline constexpr const char* kHouseOpenTitle = "房屋未闭合";
inline constexpr const char* kHouseFewVerticesTitle = "房屋顶点过少";
inline constexpr const char* kPatchOverlapTitle = "图斑相交";
inline constexpr const char* kPatchOpenTitle = "图斑未闭合";
inline constexpr const char* kPatchFewVerticesTitle = "图斑顶点过少";
inline constexpr const char* kIslandPatchTitle = "非法岛图斑";

// Houses across parcel boundaries: the common part of house and parcel is drawn on "ERROR" and
// reported with the parcel and the house. The markers of the last run go first.
void CheckFW_Intersect_ZD();
// Houses that overlap, contain or repeat other houses; open houses and houses of two vertices.
void FW_Intersect_FW();
// Patches that overlap or repeat other patches, then FindIllegalTBs and the main application's
// "FindZeroAreaTB".
void TB_Intersect_TB();
// Patches holding other patches as islands that touch their boundary.
void FindIllegalTBs();

}  // namespace cadastral
