#include "gisexchange/import_tidy.h"

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polyline_vertices.h"
#include "boundary_line_starts.h"
#include "gisexchange/parcel_check.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"

namespace gisexchange {
namespace {

using drawingutil::Chain;
using drawingutil::Opened;

constexpr double kVertexTolerance = 0.00001;

// Every entity of the drawing passing the filter; the set is freed when the holder goes.
class Selection {
public:
    explicit Selection(const resbuf* filter) {
        made_ = acedSSGet("X", nullptr, nullptr, filter, set_) == RTNORM;
        if (made_)
            acedSSLength(set_, &length_);
    }
    ~Selection() {
        if (made_)
            acedSSFree(set_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    Adesk::Int32 Length() const { return length_; }
    bool Name(Adesk::Int32 i, ads_name entity) const {
        return made_ && acedSSName(set_, i, entity) == RTNORM;
    }

private:
    ads_name set_{};
    bool made_ = false;
    Adesk::Int32 length_ = 0;
};

struct Label {
    AcGePoint3d position;
    double height = 0;
    double rotation = 0;
    std::string text;
};

// The first text among the group's members, erased; false when the group holds none.
bool TakeFirstText(AcDbObjectId group, Label& label) {
    AcDbObjectIdArray members;
    CollectGroupMembers(group, members);
    for (int j = 0; j < members.length(); ++j) {
        const AcDbObjectId member = members[j];
        Opened<AcDbEntity> entity(member, AcDb::kForWrite);
        if (!entity)
            continue;
        AcDbText* text = AcDbText::cast(entity.get());
        if (text == nullptr)
            continue;
        label.position = text->position();
        label.height = text->height();
        label.rotation = text->rotation();
        label.text = text->textStringConst();
        text->erase();
        return true;
    }
    return false;
}

void AttachHeight(AcDbObjectId reference, const Label& label) {
    Opened<AcDbBlockReference> block(reference, AcDb::kForWrite);
    if (!block)
        return;
    const AcGePoint3d at(label.position.x, label.position.y + label.height * 0.5, label.position.z);
    auto* attribute = new AcDbAttribute(at, label.text.c_str(), "height");
    attribute->setHorizontalMode(AcDb::kTextLeft);
    attribute->setVerticalMode(AcDb::kTextVertMid);
    attribute->setAlignmentPoint(at);
    attribute->setWidthFactor(0.8);
    attribute->setHeight(label.height);
    attribute->setRotation(label.rotation);
    attribute->setLayer("GCD");
    if (block->appendAttribute(attribute) != Acad::eOk) {
        delete attribute;
        return;
    }
    attribute->close();
}

// The boundary lines ("303000") among the group's members, in group order, by their first point.
BoundaryLineStarts BoundaryLinesOf(const AcDbGroup& group) {
    BoundaryLineStarts starts(kVertexTolerance);
    AcDbObjectIdArray members;
    group.allEntityIds(members);
    for (int k = 0; k < members.length(); ++k) {
        const AcDbObjectId member = members[k];
        ads_name name{};
        std::string code;
        AcGePoint2dArray at;
        if (acdbGetAdsName(name, member) != Acad::eOk)
            continue;
        GetEntityCode(name, code);
        if (code == "303000" && GetCurvePoints(name, at, 0) && at.length() > 0)
            starts.Add(at[0], member);
    }
    return starts;
}

}  // namespace

void CollectGroupMembers(AcDbObjectId group, AcDbObjectIdArray& ids) {
    Opened<AcDbGroup> opened(group, AcDb::kForWrite);
    if (!opened)
        return;
    AcDbObjectIdArray members;
    opened->allEntityIds(members);
    for (int j = 0; j < members.length(); ++j) {
        const AcDbObjectId id = members[j];
        ids.append(id);
    }
}

void ElevationLabelsCommand() {
    const Chain filter(acutBuildList(RTDXF0, "INSERT", 8, "GCD", RTNONE));
    const Selection points(filter.get());
    for (Adesk::Int32 i = 0; i < points.Length(); ++i) {
        ads_name entity{};
        if (!points.Name(i, entity))
            continue;
        std::string code;
        GetEntityCode(entity, code);
        AcDbObjectId group, reference;
        if (code != "202101" || !FindEntityGroup(entity, group) ||
            acdbGetObjectId(reference, entity) != Acad::eOk)
            continue;
        Label label;
        if (TakeFirstText(group, label))
            AttachHeight(reference, label);
    }
}

void TransferBoundaryPointData(bool showProgress) {
    const Selection all(nullptr);
    std::vector<AcDbObjectId> parcels;
    for (Adesk::Int32 i = 0; i < all.Length(); ++i) {
        ads_name entity{};
        AcDbObjectId id;
        if (all.Name(i, entity) && CheckParcelPolyline(entity, 0) && acdbGetObjectId(id, entity) == Acad::eOk)
            parcels.push_back(id);
    }
    if (showProgress)
        acedSetStatusBarProgressMeter("正在处理界址线......", 0, static_cast<int>(parcels.size()));
    std::map<AcDbObjectId, BoundaryLineStarts> groupLines;
    std::set<AcDbObjectId> handedOut;
    for (std::size_t p = 0; p < parcels.size(); ++p) {
        if (showProgress)
            acedSetStatusBarProgressMeterPos(static_cast<int>(p));
        ads_name entity{};
        AcDbObjectId groupId;
        if (acdbGetAdsName(entity, parcels[p]) != Acad::eOk || !FindEntityGroup(entity, groupId))
            continue;
        Opened<AcDb2dPolyline> polyline(parcels[p], AcDb::kForWrite);
        if (!polyline)
            continue;
        Opened<AcDbGroup> group(groupId, AcDb::kForWrite);
        if (!group)
            break;  // the drawing's groups cannot be trusted any more
        // A group's lines are read at its first parcel; the only change to them afterwards is
        // this pass handing them out.
        auto lines = groupLines.find(groupId);
        if (lines == groupLines.end())
            lines = groupLines.emplace(groupId, BoundaryLinesOf(*group.get())).first;
        BoundaryLineStarts& starts = lines->second;
        std::unique_ptr<AcDbObjectIterator> vertices(polyline->vertexIterator());
        for (vertices->start(); !vertices->done() && !starts.Empty(); vertices->step()) {
            Opened<AcDb2dVertex> vertex(vertices->objectId(), AcDb::kForWrite);
            if (!vertex)
                continue;
            const AcGePoint3d position = vertex->position();
            for (std::size_t k = starts.NextMatch(position.x, position.y, 0); k != BoundaryLineStarts::kNone;
                 k = starts.NextMatch(position.x, position.y, k + 1)) {
                // A line of several groups handed out through another one is gone.
                if (handedOut.count(starts.Line(k)) != 0)
                    continue;
                Opened<AcDbEntity> point(starts.Line(k), AcDb::kForWrite);
                if (!point)
                    continue;
                const Chain data(point->xData());
                vertex->setXData(data.get());
                point->erase();
                handedOut.insert(starts.Line(k));
                starts.Take(k);
                break;
            }
        }
    }
    if (showProgress)
        acedRestoreStatusBar();
}

}  // namespace gisexchange
