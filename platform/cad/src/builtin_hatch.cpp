// HATCH with the option S: fills the closed boundaries the user selects (closed curves and
// regions) with one hatch on the current layer, in the host's current pattern.
#include <cmath>

#include "builtin_input.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_region.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace platform::cad {
namespace {

// The current pattern of a new drawing on the host.
constexpr const char* kPattern = "ANSI31";

// A closed path as loop vertices with one bulge each; whole circles are split in halves, which
// a bulge can hold. Holes of a region go in as inner loops.
void AddLoop(AcDbHatch& hatch, const CurvePath& path, bool hole = false)
{
    AcGePoint2dArray vertices;
    AcGeDoubleArray bulges;
    for (const PathSegment& s : path.segments) {
        int pieces = s.arc && std::fabs(s.sweep) > M_PI ? 2 : 1;
        for (int k = 0; k < pieces; ++k) {
            AcGePoint3d p = s.pointAt(static_cast<double>(k) / pieces);
            vertices.append(AcGePoint2d(p.x, p.y));
            bulges.append(s.arc ? std::tan(s.sweep / pieces / 4) : 0.0);
        }
    }
    if (vertices.length() >= 2)
        hatch.appendLoop((hole ? AcDbHatch::kDefault : AcDbHatch::kExternal) | AcDbHatch::kPolyline, vertices, bulges);
}

int Hatch()
{
    PromptReply reply = ReadReply("\n拾取内部点或 [选择对象(S)]: ");
    if (reply.cancel)
        return RTCAN;
    const std::string option = OptionOf(reply);
    if (option.empty())
        return RTNORM;
    if (!IsOption(option, "S")) {
        PrintToCommandLine("\n本主机的 HATCH 只提供选择对象(S)。");
        return RTERROR;
    }
    ads_name ss;
    int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
    if (rc != RTNORM)
        return rc == RTCAN ? RTCAN : RTNORM;
    auto* hatch = new AcDbHatch;
    hatch->setPattern(AcDbHatch::kPreDefined, kPattern);
    Adesk::Int32 n = 0;
    acedSSLength(ss, &n);
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name e;
        AcDbObjectId id;
        AcDbEntity* entity = nullptr;
        if (acedSSName(ss, i, e) != RTNORM || acdbGetObjectId(id, e) != Acad::eOk ||
            acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk)
            continue;
        if (auto* region = AcDbRegion::cast(entity)) {
            for (const auto& loop : region->loops())
                AddLoop(*hatch, loop, loop.SignedArea() < 0);
        } else if (auto* curve = AcDbCurve::cast(entity); curve != nullptr && curve->isClosed()) {
            CurvePath path;
            if (curve->buildPath(path))
                AddLoop(*hatch, path);
        }
        entity->close();
    }
    acedSSFree(ss);
    if (hatch->numLoops() == 0) {
        delete hatch;
        PrintToCommandLine("\n未找到有效的图案填充边界。");
        return RTERROR;
    }
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    hatch->setDatabaseDefaults(db);
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db->currentSpaceId(), AcDb::kForWrite) != Acad::eOk) {
        delete hatch;
        return RTERROR;
    }
    if (space->appendAcDbEntity(hatch) == Acad::eOk)
        hatch->close();
    else
        delete hatch;
    space->close();
    return RTNORM;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("HATCH", Hatch);
    return true;
}();

}  // namespace
}  // namespace platform::cad
