// The toolkit's own helpers for the extended data of features, for an entity's definition list,
// and for small geometric and numeric chores several commands share. Messages go to the command
// line; every routine fails by its result and never stops the calling command.
#pragma once

#include <string>
#include <string_view>

#include "platform/cad/ac_array.h"
#include "platform/cad/acad_status.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

class AcDbGroup;

namespace cadastral {

// Writes one value under the application: a value of type RTSHORT as 1070, RTLONG as 1071,
// RTREAL as 1040, RTSTR as 1000; any other type is refused with a message. Without data under the
// application, the application is registered and the value becomes its first item; with the
// append flag, or when the application holds no item yet, the value is appended; otherwise it
// replaces the item at the position (from 0 after the application name, clamped to the items).
// False with a message when the entity cannot be opened for writing.
bool AddEntityXData(AcDbObjectId id, const char* application, const resbuf& value, bool append, int position);
// AddEntityXData; with `exact`, a value that replaces an item needs the item at the position to
// exist and be of the value's kind, and otherwise nothing is written (false).
bool StoreEntityXDataItem(AcDbObjectId id, const char* application, const resbuf& value, bool append, int position,
                          bool exact);

// One item under the application as text: position from 0 after the application name, -1 the last.
// Kinds 0 and 4 text, 1 16-bit, 2 32-bit integer, 3 real. An item of the kind is formatted as
// text, "%d", "%ld" or "%.3f"; one of another kind only with `force`, by its own kind (reals "%f"),
// and with `verbose` a line says so. False for an empty application, a kind outside 0 to 4, no
// data, or no such item.
bool ReadEntityXDataChecked(AcDbObjectId id, const char* application, std::string& text, int kind, int position,
                            bool force, bool verbose);

// A real under the application (its first real item) as its "%f" text reads back; false when there
// is none.
bool GetXDataReal(const ads_name entity, const char* application, double& value);
// GetXDataReal on an object the caller holds open.
bool GetXDataReal(const AcDbObject& object, const char* application, double& value);
// The real as its "%f" text (six decimals) reads back, without building the text: what a real
// stored or shown with six decimals stands for.
double RealAtSixDecimals(double value);
// Stores the real (formatted "%f") as the application's only item.
void SetXDataReal(const ads_name entity, const char* application, double value);

// The first point (group 10) of the definition list; true also without one (point unchanged),
// false when the list cannot be read.
bool ReadEntityBasePoint(const ads_name entity, AcGePoint3d& point);
// Replaces the first point (group 10) and writes the list back; false when the list cannot be
// read, has no such point, or the host refuses it.
bool WriteEntityBasePoint(const ads_name entity, const AcGePoint3d& point);
// The layer (group 8) of the definition list.
bool GetEntityLayerName(AcDbObjectId id, std::string& layer);
Acad::ErrorStatus OpenGroup(AcDbGroup*& group, AcDbObjectId id, AcDb::OpenMode mode);
// Erases every entity of the model and paper space whose layer matches the pattern (MatchCodePattern);
// false for an empty pattern.
bool EraseLayerEntities(std::string_view pattern);
// A text's alignment point (with `alignment`) or insertion point; false for anything else.
bool GetTextPoint(const ads_name entity, AcGePoint3d& point, bool alignment);

// The mean of the points; false for an empty list.
bool PointsCentroid(const AcGePoint2dArray& points, AcGePoint2d& centroid);
// With flag 1 the distance of the first point from the second; otherwise its distance from the
// line through the second and the third.
double Distance2dOrOffset(const AcGePoint2d& first, const AcGePoint2d& second, const AcGePoint2d& third, int flag);
// The bulge of the arc of the radius about the centre from start to end, running clockwise with
// flag 1; 1 (or -1) when the radius does not reach past half the chord, 0 when start and end meet.
double ArcRatio(const AcGePoint2d& centre, const AcGePoint2d& start, const AcGePoint2d& end, double radius,
                int clockwise);
// Rounds the value as the text formatting with that many decimals rounds it; below 0 decimals to
// whole numbers.
void RoundToDecimals(double& value, int decimals);
// The length along the open list between the vertices at the two points, when the end comes after
// the start and the length exceeds 0.01; 0 otherwise (also for an empty list).
double PolylinePathLength(const AcGePoint2d& start, const AcGePoint2d& end, const AcGePoint2dArray& points);
// True when one of the entities has the same vertices as the points, in the same or the reverse
// order (ArePointListsEqual).
bool HasEntityWithPoints(const AcDbObjectIdArray& ids, const AcGePoint2dArray& points);

// An entity name with its object id, looked up on first request.
class EntityRef {
public:
    explicit EntityRef(const ads_name entity);
    const std::int64_t* name() const { return name_; }
    AcDbObjectId id();

private:
    ads_name name_{};
    AcDbObjectId id_;
    bool looked_ = false;
};

}  // namespace cadastral
