#include "cadastral/attribute_data.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "cadastral/feature_picking.h"
#include "cadastral/string_helpers.h"
#include "drawingutil/distances.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "geometry/curve_vertex_readers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace cadastral {
namespace {

using drawingutil::Chain;
using drawingutil::Opened;
using platform::text::Format;

constexpr double kSamePoint = 1e-6;

// The extended-data item for a value; null for a type that has none.
resbuf* ItemFor(const resbuf& value) {
    switch (value.restype) {
    case RTSHORT:
        return acutBuildList(1070, value.resval.rint, 0);
    case RTLONG:
        return acutBuildList(1071, value.resval.rlong, 0);
    case RTREAL:
        return acutBuildList(1040, value.resval.rreal, 0);
    case RTSTR:
        return acutBuildList(1000, drawingutil::TextOrEmpty(value.resval.rstring), 0);
    default:
        return nullptr;
    }
}

int GroupOfKind(int kind) {
    switch (kind) {
    case kXDataShort:
        return 1070;
    case kXDataLong:
        return 1071;
    case kXDataReal:
        return 1040;
    default:
        return 1000;
    }
}

bool IsTextGroup(int group) { return group == 1000 || group == 1002 || group == 1003 || group == 1005; }

// Angle of the direction from a to b, in 0 to 2 pi as the host gives it.
double Angle(const AcGePoint2d& a, const AcGePoint2d& b) {
    double angle = std::atan2(b.y - a.y, b.x - a.x);
    return angle < 0 ? angle + 2 * M_PI : angle;
}

double InFullTurn(double angle) {
    angle = std::fmod(angle, 2 * M_PI);
    return angle < 0 ? angle + 2 * M_PI : angle;
}

}  // namespace

bool AddEntityXData(AcDbObjectId id, const char* application, const resbuf& value, bool append, int position) {
    return StoreEntityXDataItem(id, application, value, append, position, false);
}

bool StoreEntityXDataItem(AcDbObjectId id, const char* application, const resbuf& value, bool append, int position,
                          bool exact) {
    Chain item(ItemFor(value));
    if (!item) {
        acutPrintf("\n不识别的数据类型!");
        return false;
    }
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    if (!object || application == nullptr || *application == '\0') {
        acutPrintf("\n无增加扩展数据的实体!");
        return false;
    }
    Chain data(object->xData(application));
    if (!data) {
        acdbRegApp(application);
        data.reset(acutBuildList(1001, application, 0));
        if (!data)
            return false;
        data->rbnext = item.release();
        return object->setXData(data.get()) == Acad::eOk;
    }
    // The item before the one replaced (or the last, for an append).
    resbuf* before = data.get();
    int items = 0;
    for (resbuf* rb = data->rbnext; rb != nullptr; rb = rb->rbnext)
        ++items;
    if (append || items == 0) {
        while (before->rbnext != nullptr)
            before = before->rbnext;
        before->rbnext = item.release();
    } else {
        if (exact && (position < 0 || position >= items))
            return false;
        int at = std::clamp(position, 0, items - 1);
        for (int i = 0; i < at; ++i)
            before = before->rbnext;
        resbuf* old = before->rbnext;
        if (exact && old->restype != item->restype)
            return false;
        resbuf* fresh = item.release();
        fresh->rbnext = old->rbnext;
        before->rbnext = fresh;
        old->rbnext = nullptr;
        acutRelRb(old);
    }
    return object->setXData(data.get()) == Acad::eOk;
}

bool ReadEntityXDataChecked(AcDbObjectId id, const char* application, std::string& text, int kind, int position,
                            bool force, bool verbose) {
    if (application == nullptr || *application == '\0' || kind < 0 || kind > 4)
        return false;
    text.clear();
    Chain data;
    {
        Opened<AcDbObject> object(id, AcDb::kForRead);
        if (!object)
            return false;
        data.reset(object->xData(application));
    }
    if (!data)
        return false;
    const resbuf* item = nullptr;
    int index = 0;
    for (const resbuf* rb = data->rbnext; rb != nullptr; rb = rb->rbnext, ++index) {
        if (position == -1 || index == position)
            item = rb;
        if (index == position)
            break;
    }
    if (item == nullptr)
        return false;
    const int group = item->restype;
    const int wanted = GroupOfKind(kind);
    if (group == wanted) {
        switch (group) {
        case 1070:
            text = Format("%d", item->resval.rint);
            break;
        case 1071:
            text = Format("%ld", static_cast<long>(item->resval.rlong));
            break;
        case 1040:
            text = Format("%.3f", item->resval.rreal);
            break;
        default:
            text = drawingutil::TextOrEmpty(item->resval.rstring);
        }
        return true;
    }
    if (!force)
        return false;
    if (group == 1070)
        text = Format("%d", item->resval.rint);
    else if (group == 1071)
        text = Format("%ld", static_cast<long>(item->resval.rlong));
    else if (group == 1040 || group == 1041 || group == 1042)
        text = Format("%f", item->resval.rreal);
    else if (IsTextGroup(group))
        text = drawingutil::TextOrEmpty(item->resval.rstring);
    else
        return false;
    if (verbose)
        acutPrintf("\n强制输出类形不对的信息，原类型%d,要输出类型%d", group, kind);
    return true;
}

bool GetXDataReal(const ads_name entity, const char* application, double& value) {
    AcDbObjectId id;
    if (application == nullptr || *application == '\0' || !drawingutil::IdOfName(entity, id))
        return false;
    drawingutil::Opened<AcDbObject> object(id, AcDb::kForRead);
    return object && GetXDataReal(*object.get(), application, value);
}

bool GetXDataReal(const AcDbObject& object, const char* application, double& value) {
    if (application == nullptr || *application == '\0')
        return false;
    Chain chain(object.xData(application));
    if (!chain)
        return false;
    for (const resbuf* item = chain->rbnext; item != nullptr; item = item->rbnext)
        if (item->restype == 1040) {
            value = RealAtSixDecimals(item->resval.rreal);
            return true;
        }
    return false;
}

double RealAtSixDecimals(double value) {
    // Both conversions are exact to the last digit, as printf and strtod are.
    char text[512];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    double read = value;
    if (written.ec == std::errc())
        std::from_chars(text, written.ptr, read);
    return read;
}

void SetXDataReal(const ads_name entity, const char* application, double value) {
    SetXData(entity, application, kXDataReal, Format("%f", value).c_str());
}

bool ReadEntityBasePoint(const ads_name entity, AcGePoint3d& point) {
    Chain list(acdbEntGet(entity));
    if (!list)
        return false;
    for (const resbuf* rb = list.get(); rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 10) {
            point.set(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
            break;
        }
    }
    return true;
}

bool WriteEntityBasePoint(const ads_name entity, const AcGePoint3d& point) {
    Chain list(acdbEntGet(entity));
    if (!list)
        return false;
    for (resbuf* rb = list.get(); rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 10) {
            rb->resval.rpoint[0] = point.x;
            rb->resval.rpoint[1] = point.y;
            rb->resval.rpoint[2] = point.z;
            return acdbEntMod(list.get()) == RTNORM;
        }
    }
    return false;
}

bool GetEntityLayerName(AcDbObjectId id, std::string& layer) {
    ads_name entity;
    if (acdbGetAdsName(entity, id) != Acad::eOk)
        return false;
    Chain list(acdbEntGet(entity));
    for (const resbuf* rb = list.get(); rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 8) {
            layer = drawingutil::TextOrEmpty(rb->resval.rstring);
            return true;
        }
    }
    return false;
}

Acad::ErrorStatus OpenGroup(AcDbGroup*& group, AcDbObjectId id, AcDb::OpenMode mode) {
    return acdbOpenObject(group, id, mode);
}

bool EraseLayerEntities(std::string_view pattern) {
    if (pattern.empty())
        return false;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (db == nullptr)
        return false;
    AcDbObjectId spaces[2];
    {
        AcDbBlockTable* table = nullptr;
        if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk)
            return false;
        table->getAt(ACDB_MODEL_SPACE, spaces[0]);
        table->getAt(ACDB_PAPER_SPACE, spaces[1]);
        table->close();
    }
    for (AcDbObjectId space : spaces) {
        // The ids first: erasing while the record's iterator walks it would move under it.
        AcDbObjectIdArray ids;
        {
            Opened<AcDbBlockTableRecord> record(space, AcDb::kForRead);
            if (!record)
                continue;
            AcDbBlockTableRecordIterator* it = nullptr;
            if (record->newIterator(it) != Acad::eOk)
                continue;
            for (; !it->done(); it->step()) {
                AcDbObjectId id;
                if (it->getEntityId(id) == Acad::eOk)
                    ids.append(id);
            }
            delete it;
        }
        for (int i = 0; i < ids.length(); ++i) {
            Opened<AcDbEntity> entity(ids[i], AcDb::kForWrite);
            if (entity && MatchCodePattern(pattern, LayerNameOf(entity.get())))
                entity->erase();
        }
    }
    return true;
}

bool GetTextPoint(const ads_name entity, AcGePoint3d& point, bool alignment) {
    Opened<AcDbEntity> object(entity, AcDb::kForRead);
    const AcDbText* text = AsEntityText(object.get());
    if (text == nullptr)
        return false;
    point = alignment ? text->alignmentPoint() : text->position();
    return true;
}

bool PointsCentroid(const AcGePoint2dArray& points, AcGePoint2d& centroid) {
    if (points.isEmpty())
        return false;
    double x = 0;
    double y = 0;
    for (int k = 0; k < points.length(); ++k) {
        const AcGePoint2d& p = points[k];
        x += p.x;
        y += p.y;
    }
    centroid.set(x / points.length(), y / points.length());
    return true;
}

double Distance2dOrOffset(const AcGePoint2d& first, const AcGePoint2d& second, const AcGePoint2d& third, int flag) {
    double d = Distance2d(first, second);
    if (flag == 1)
        return d;
    return std::fabs(d * std::sin(InFullTurn(Angle(second, third) - Angle(second, first))));
}

double ArcRatio(const AcGePoint2d& centre, const AcGePoint2d& start, const AcGePoint2d& end, double radius,
                int clockwise) {
    double h = Distance2d(start, end) / 2;
    // No chord, no arc: the bulge of a segment that has no length.
    if (!(h > 0))
        return 0;
    if (radius <= h)
        return clockwise == 1 ? -1 : 1;
    double a = InFullTurn(Angle(centre, end) - Angle(centre, start));
    double d = std::sqrt(radius * radius - h * h);
    bool major = (a > M_PI && clockwise == 0) || (a < M_PI && clockwise == 1);
    double sagitta = major ? radius + d : radius - d;
    double bulge = sagitta / h;
    return clockwise == 1 ? -bulge : bulge;
}

void RoundToDecimals(double& value, int decimals) {
    std::string format = Format("%%.%df", std::max(decimals, 0));
    value = std::strtod(Format(format, value).c_str(), nullptr);
}

double PolylinePathLength(const AcGePoint2d& start, const AcGePoint2d& end, const AcGePoint2dArray& points) {
    const int n = points.length();
    if (n == 0)
        return 0;
    int from = -1;
    for (int i = 0; i + 1 < n && from < 0; ++i)
        if (Distance2d(points[i], start) < kSamePoint)
            from = i;
    int first = from;
    if (from < 0) {
        from = 0;
        first = n - 1;
    }
    int to = 0;
    for (int j = first; j < n; ++j)
        if (Distance2d(points[j], end) < kSamePoint) {
            to = j;
            break;
        }
    if (to <= from)
        return 0;
    double length = 0;
    for (int i = from; i < to; ++i)
        length += Distance2d(points[i], points[i + 1]);
    return length > 0.01 ? length : 0;
}

bool HasEntityWithPoints(const AcDbObjectIdArray& ids, const AcGePoint2dArray& points) {
    for (int k = 0; k < ids.length(); ++k) {
        AcDbObjectId id = ids[k];
        geometry::PointList read;
        if (!geometry::ReadEntityPoints(id, read))
            continue;
        AcGePoint2dArray vertices;
        for (const geometry::Point2d& p : read)
            vertices.append(AcGePoint2d(p.x, p.y));
        if (ArePointListsEqual(vertices, points))
            return true;
    }
    return false;
}

EntityRef::EntityRef(const ads_name entity) { ads_name_set(entity, name_); }

AcDbObjectId EntityRef::id() {
    if (!looked_) {
        looked_ = true;
        if (acdbGetObjectId(id_, name_) != Acad::eOk)
            id_ = AcDbObjectId();
    }
    return id_;
}

}  // namespace cadastral
