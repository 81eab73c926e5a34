// MSLIDE and VSLIDE.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "block_extents_walk.h"
#include "builtin_input.h"
#include "drawing_services.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_region.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/prompts.h"
#include "platform/cad/slides.h"
#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/win/path_mapping.h"

namespace platform::cad {
namespace {

constexpr const char* kHeader = "DERO SLIDE 1";

std::string g_shown;

// The file a slide name stands for: Windows or POSIX form, ".sld" added when it has no extension.
bool SlidePath(std::string name, std::string& path)
{
    std::size_t slash = name.find_last_of("\\/");
    if (name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos)
        name += ".sld";
    LONG error = 0;
    path = win::MapToLinux(name, &error);
    return error == 0 && !path.empty();
}

int ColourOf(const AcDbEntity& entity)
{
    int colour = entity.colorIndex();
    if (colour == AcDb::kColorByLayer)
        if (auto* layer = AcDbLayerTableRecord::cast(PeekObject(entity.layerId())))
            colour = layer->colorIndex();
    return colour;
}

void WritePath(std::ostream& out, const CurvePath& path)
{
    for (const PathSegment& s : path.segments) {
        if (s.arc)
            out << "A " << s.center.x << ' ' << s.center.y << ' ' << s.radius << ' ' << s.startAngle << ' ' << s.sweep
                << '\n';
        else
            out << "L " << s.start.x << ' ' << s.start.y << ' ' << s.end.x << ' ' << s.end.y << '\n';
    }
}

std::string Picture(AcDbDatabase* db)
{
    DrawingServices& services = ServicesOf(db);
    AcDbExtents window = services.view.Window();
    std::ostringstream out;
    out.precision(17);
    out << kHeader << "\nVIEW " << services.view.center.x << ' ' << services.view.center.y << ' '
        << services.view.height << ' ' << services.view.Width() << '\n';
    Box2d view{window.minPoint().x, window.minPoint().y, window.maxPoint().x, window.maxPoint().y};
    std::vector<std::uint64_t> slots = services.index.Search(view);
    std::sort(slots.begin(), slots.end());
    BlockExtentsWalk walk;
    for (std::uint64_t slot : slots) {
        auto* entity = AcDbEntity::cast(db->objects().At(slot)->object.get());
        auto* layer = entity != nullptr ? AcDbLayerTableRecord::cast(PeekObject(entity->layerId())) : nullptr;
        if (entity == nullptr || entity->visibility() != AcDb::kVisible ||
            (layer != nullptr && (layer->isOff() || layer->isFrozen())))
            continue;
        out << "E " << entity->objectHandle().text() << ' ' << entity->dxfTypeName() << ' ' << ColourOf(*entity)
            << '\n';
        CurvePath path;
        AcDbExtents ext;
        if (auto* curve = AcDbCurve::cast(entity); curve != nullptr && curve->buildPath(path)) {
            WritePath(out, path);
        } else if (auto* region = AcDbRegion::cast(entity)) {
            for (const CurvePath& loop : region->loops())
                WritePath(out, loop);
        } else if (auto* point = AcDbPoint::cast(entity)) {
            out << "P " << point->position().x << ' ' << point->position().y << '\n';
        } else if (entity->getGeomExtents(ext) == Acad::eOk) {
            // Entities without curves of their own show as their outline box.
            const AcGePoint3d& a = ext.minPoint();
            const AcGePoint3d& b = ext.maxPoint();
            out << "L " << a.x << ' ' << a.y << ' ' << b.x << ' ' << a.y << "\nL " << b.x << ' ' << a.y << ' ' << b.x
                << ' ' << b.y << "\nL " << b.x << ' ' << b.y << ' ' << a.x << ' ' << b.y << "\nL " << a.x << ' '
                << b.y << ' ' << a.x << ' ' << a.y << '\n';
        }
    }
    return out.str();
}

int ReadSlideName(const char* prompt, std::string& name, std::string& path)
{
    PromptReply reply = ReadReply(prompt);
    if (reply.cancel)
        return RTCAN;
    name = reply.text;
    if (name.empty() || !SlidePath(name, path)) {
        PrintToCommandLine(text::Format("\n无效的文件名 \"%s\"。", name));
        return RTERROR;
    }
    return RTNORM;
}

int MakeSlide()
{
    std::string name, path;
    int rc = ReadSlideName("\n输入幻灯片文件名: ", name, path);
    if (rc != RTNORM)
        return rc;
    std::string picture = Picture(acdbHostApplicationServices()->workingDatabase());
    // Written beside and renamed, so that a failed write never leaves a partial slide.
    std::string temp = path + ".part";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << picture;
        file.close();
        if (!file) {
            std::remove(temp.c_str());
            PrintToCommandLine(text::Format("\n无法写入幻灯片文件 \"%s\"。", name));
            return RTERROR;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        PrintToCommandLine(text::Format("\n无法写入幻灯片文件 \"%s\"。", name));
        return RTERROR;
    }
    return RTNORM;
}

int ViewSlide()
{
    std::string name, path;
    int rc = ReadSlideName("\n输入要观看的幻灯片文件名: ", name, path);
    if (rc != RTNORM)
        return rc;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        PrintToCommandLine(text::Format("\n找不到幻灯片文件 \"%s\"。", name));
        return RTERROR;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::string slide = text.str();
    if (slide.compare(0, std::string(kHeader).size(), kHeader) != 0) {
        PrintToCommandLine(text::Format("\n\"%s\" 不是有效的幻灯片文件。", name));
        return RTERROR;
    }
    g_shown = slide;
    int entities = 0;
    for (std::size_t pos = 0; (pos = slide.find("\nE ", pos)) != std::string::npos; ++pos)
        ++entities;
    ui::AppendTranscript(text::Format("vslide \"%s\": %d entities", name, entities));
    return RTNORM;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("MSLIDE", MakeSlide);
    RegisterBuiltinCommand("VSLIDE", ViewSlide);
    return true;
}();

}  // namespace

const std::string& ShownSlide() { return g_shown; }

}  // namespace platform::cad
