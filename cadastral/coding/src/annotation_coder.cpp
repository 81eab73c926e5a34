#include "cadastral/annotation_coder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/boundary_line_coding.h"
#include "cadastral/code_segments.h"
#include "cadastral/config_tables.h"
#include "cadastral/feature_picking.h"
#include "cadastral/main_app_services.h"
#include "cadastral/paired_xdata.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/xdata_items.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "cadastral/window_outlines.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

using drawingutil::Chain;
using drawingutil::IdOfName;

constexpr const char* kDistrictCode = "321000";
// What a district's selection takes around its outline, and how far a parcel's window reaches
// past its outline: a house with a side on the parcel's line still counts as inside.
constexpr double kDistrictOffset = 1.0;
constexpr double kHouseReach = -0.1;
constexpr double kArcStep = 6.0;
// The side of the cells the houses are kept in: a parcel's polygon spans a few of them.
constexpr double kHouseCell = 16.0;
// The 19-digit form: a 12-digit head of zeros and the 7-digit number the final code keeps.
constexpr std::size_t kLongCode = 19;
constexpr int kLongDigits = static_cast<int>(kLongCode);
constexpr std::size_t kNumberDigits = 7;
// The district code (district, street, block) and the parcel number (street, block, basic number,
// branch) of the parcel-code layout.
constexpr std::size_t kDistrictCodeLength = 12;
constexpr std::size_t kParcelNumberLength = 13;

// The status bar's progress meter for one loop, restored on every way out.
class Meter {
public:
    Meter(const char* label, int count) { acedSetStatusBarProgressMeter(label, 0, count); }
    ~Meter() { acedRestoreStatusBar(); }
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;
    void Step(int position) { acedSetStatusBarProgressMeterPos(position); }
};

// A selection set freed when the holder goes.
struct Selection {
    ads_name set{};
    bool made = false;
    Selection() = default;
    ~Selection() { Free(); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    void Free() {
        if (made)
            acedSSFree(set);
        made = false;
    }
    Adesk::Int32 Length() const {
        Adesk::Int32 n = 0;
        if (made)
            acedSSLength(set, &n);
        return n;
    }
};

// The number in at least `digits` digits, zeros in front ("%.19ld" for the 19-digit form). Written
// directly: the coder makes one for nearly every feature.
std::string ZeroFilled(long number, int digits) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.*ld", digits, number);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// A house's number within its parcel: "%03d".
std::string HouseNumber(int number) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%03d", number);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string Code(const ads_name entity) {
    std::string code;
    GetEntityCode(entity, code);
    return code;
}

std::string TypeName(const ads_name entity) {
    std::string type;
    if (!GetEntityTypeName(entity, type))
        type.clear();
    return type;
}

bool IsPolylineType(const std::string& type) {
    return type.find("POLYLINE") != std::string::npos;
}

bool IsHouse(const std::string& code) {
    std::string featureClass;
    return !code.empty() && FindCodeRecord(code, featureClass) &&
           platform::text::GbkEqualNoCase(featureClass, "FW");
}

// The second value under "MIRET": a parcel's number.
bool ParcelNumber(AcDbObjectId id, std::string& number) {
    return ReadEntityXDataChecked(id, "MIRET", number, kXDataString, 1, false, false) && !number.empty();
}

std::string Text(const ads_name entity, const char* application) {
    std::string text;
    if (!GetXDataAsText(entity, application, kXDataString, text))
        text.clear();
    return text;
}

// What a graphical selection sees of the view: its centre and height, and the screen's sides.
// Two selections of the same area under the same view, with nothing changed between them, take
// the same entities.
using ViewShown = std::array<double, 6>;

ViewShown ViewNow() {
    ViewShown shown;
    shown.fill(std::numeric_limits<double>::quiet_NaN());  // never equal when a value is missing
    resbuf value{};
    if (acedGetVar("VIEWCTR", &value) == RTNORM && value.restype == RT3DPOINT)
        std::copy(value.resval.rpoint, value.resval.rpoint + 3, shown.begin());
    if (acedGetVar("VIEWSIZE", &value) == RTNORM && value.restype == RTREAL)
        shown[3] = value.resval.rreal;
    if (acedGetVar("SCREENSIZE", &value) == RTNORM && value.restype == RTPOINT)
        std::copy(value.resval.rpoint, value.resval.rpoint + 2, shown.begin() + 4);
    return shown;
}

// An entity's name as a value that sorts.
using NameKey = std::pair<std::int64_t, std::int64_t>;

NameKey KeyOf(const ads_name entity) {
    return {entity[0], entity[1]};
}

// Takes the names out of the set, keeping the order of the rest. The rest go into a set of their
// own, which is far cheaper than removing most of a large set name by name; should the host refuse
// one of them, the names are removed one by one instead.
void LeaveOut(Selection& selection, std::vector<NameKey>& names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    Selection rest;
    ads_name none{};
    rest.made = acedSSAdd(none, nullptr, rest.set) == RTNORM;
    bool kept = rest.made;
    for (Adesk::Int32 i = 0, n = selection.Length(); kept && i < n; ++i) {
        ads_name member{};
        kept = acedSSName(selection.set, i, member) == RTNORM;
        if (kept && !std::binary_search(names.begin(), names.end(), KeyOf(member)))
            kept = acedSSAdd(member, rest.set, rest.set) == RTNORM;
    }
    if (kept) {
        selection.Free();
        ads_name_set(rest.set, selection.set);
        selection.made = true;
        rest.made = false;
        return;
    }
    for (const NameKey& name : names) {
        ads_name member{name.first, name.second};
        acedSSDel(member, selection.set);
    }
}

bool DistrictSelection(AcDbObjectId district, Selection& selection) {
    ads_name name{};
    AcGePoint2dArray ring;
    if (acdbGetAdsName(name, district) != Acad::eOk || !GetCurvePoints(name, ring, 0) || ring.length() < 3)
        return false;
    selection.made = SelectByPolygon(ring, selection.set, "CP", kDistrictOffset, 1);
    return selection.made;
}

}  // namespace

AnnotationCoder::AnnotationCoder() = default;
AnnotationCoder::~AnnotationCoder() = default;

BoundaryLineCoder& AnnotationCoder::Lines() {
    if (!lines_) {
        points_ = std::make_unique<BoundaryPointIndex>();
        lines_ = std::make_unique<BoundaryLineCoder>(points_.get());
    }
    return *lines_;
}

void AnnotationCoder::FindSegmentPrefix(AcDbObjectId district) {
    Selection inside;
    if (DistrictSelection(district, inside))
        FindSegmentPrefixIn(inside.set);
}

void AnnotationCoder::FindSegmentPrefixIn(const ads_name inside) {
    Adesk::Int32 count = 0;
    acedSSLength(inside, &count);
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (acedSSName(inside, i, member) != RTNORM || !IdOfName(member, id) || Code(member) != kParcelCode)
            continue;
        std::string number;
        if (ParcelNumber(id, number) && number.size() == kParcelNumberLength) {
            segmentPrefix_ = number.substr(6, 2);
            return;
        }
    }
}

void AnnotationCoder::CodeDistrictFeatures(const ads_name selection, std::int32_t& counter,
                                           const std::string& districtCode) {
    Adesk::Int32 count = 0;
    acedSSLength(selection, &count);
    BoundaryLineCoder& lines = Lines();
    {
        Meter meter("\n正在为社区内地物添加注记编码...", count);
        for (Adesk::Int32 i = 0; i < count; ++i) {
            meter.Step(i);
            ads_name entity{};
            AcDbObjectId id;
            if (acedSSName(selection, i, entity) != RTNORM || !IdOfName(entity, id))
                continue;
            const std::string type = TypeName(entity);
            const std::string code = Code(entity);
            if (type == "TEXT") {
                if (code.empty())
                    continue;
                ++annotationCounter_;
                SetXDataPair(entity, "ZJDM", kXDataString,
                             ZeroFilled(static_cast<long>(annotationCounter_), kLongDigits).c_str(), "ZJH",
                             kXDataLong, std::to_string(annotationCounter_).c_str());
            } else if (type == "CIRCLE" && (code == kBoundaryPointCode || code == kSecondClassPointCode)) {
                // A point whose number cannot be read gets no code rather than a wrong one.
                std::string text;
                if (!ReadEntityXDataChecked(id, "MIRET", text, kXDataLong, 2, false, false) || text.empty())
                    continue;
                long number = std::strtol(text.c_str(), nullptr, 10);
                std::string longCode = ZeroFilled(number, kLongDigits);
                if (code == kBoundaryPointCode)
                    SetXDataPair(entity, "JZDH", kXDataLong, std::to_string(number).c_str(), "JZDDM",
                                 kXDataString, longCode.c_str());
                else
                    SetXDataPair(entity, "GDH", kXDataLong, text.c_str(), "GDDM", kXDataString, longCode.c_str());
            } else if (IsPolylineType(type) && code == kParcelCode) {
                std::string district, number;
                if (!ReadEntityXDataChecked(id, "QHDM", district, kXDataString, 0, false, false) ||
                    district.empty() || !ParcelNumber(id, number))
                    continue;
                if (number.size() >= 10)
                    SetXData(entity, "ZDLSH", kXDataLong, number.substr(6, 4).c_str());
                std::string street = number.substr(0, 3), block = number.substr(3, 3);
                if (districtCode.size() == kDistrictCodeLength && number.size() == kParcelNumberLength)
                    block = districtCode.substr(kDistrictCodeLength - 3);
                ads_name parcel{};
                ads_name_set(entity, parcel);
                lines.CodeParcel(parcel, district + street + block, segmentPrefix_, counter);
            }
        }
    }
    CodeBoundaryLines();
}

void AnnotationCoder::CodeBoundaryLines() {
    Lines().CodeLinePoints();
}

void AnnotationCoder::Recode(const ads_name entity, const std::string& districtCode, bool codeConditions) {
    const std::string code = Code(entity);
    // The final code keeps the 7-digit number; a longer number keeps its 19-digit form, since
    // its tail may be another feature's number.
    auto recode = [&](const char* application) {
        std::string old = Text(entity, application);
        if (old.size() != kLongCode)
            return false;
        if (old.find_first_not_of('0') < kLongCode - kNumberDigits) {
            ++overlong_;
            return true;
        }
        std::string final = districtCode + segmentPrefix_ + old.substr(kLongCode - kNumberDigits);
        SetXData(entity, application, kXDataString, final.c_str());
        return true;
    };
    if (recode("ZJDM")) {
    } else if ((!codeConditions || code == kBoundaryPointCode) && recode("JZDDM")) {
    } else if (!codeConditions || code == kSecondClassPointCode) {
        recode("GDDM");
    }
    AcDbObjectId id;
    std::string number;
    if (code == kParcelCode && IdOfName(entity, id) && ParcelNumber(id, number) &&
        number.size() == kParcelNumberLength) {
        std::string block = districtCode.substr(districtCode.size() - 3);
        std::string renumbered = number.substr(0, 3) + block + number.substr(6);
        Chain value(acutBuildList(RTSTR, renumbered.c_str(), RTNONE));
        AddEntityXData(id, "MIRET", *value, false, 1);
    }
}

bool AnnotationCoder::Run() {
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    ClearVertexCodes();
    overlong_ = 0;
    // What is read once is read once for each run.
    lines_.reset();
    points_.reset();

    std::vector<AcDbObjectId> districts;
    {
        // The two names that end in "POLYLINE", named rather than matched by a wildcard.
        Chain filter(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", 8, "DJZQ", RTNONE));
        Selection all;
        all.made = acedSSGet("X", nullptr, nullptr, filter.get(), all.set) == RTNORM;
        for (Adesk::Int32 i = 0, n = all.Length(); i < n; ++i) {
            ads_name member{};
            AcDbObjectId id;
            if (acedSSName(all.set, i, member) == RTNORM && IdOfName(member, id) &&
                IsPolylineType(TypeName(member)) && Code(member) == kDistrictCode)
                districts.push_back(id);
        }
    }
    if (districts.empty()) {
        acutPrintf("\n当前图上没有社区，将不能添加注记编码");
        return false;
    }
    Selection outside;
    outside.made = acedSSGet("X", nullptr, nullptr, nullptr, outside.set) == RTNORM;
    if (!outside.made)
        return false;

    // Coding pass: every district's features in their 19-digit form.
    std::vector<std::int32_t> counters(districts.size(), 0);
    std::vector<NameKey> inDistricts;
    inDistricts.reserve(static_cast<std::size_t>(outside.Length()));
    for (std::size_t i = 0; i < districts.size(); ++i) {
        Selection inside;
        const ViewShown before = ViewNow();
        if (!DistrictSelection(districts[i], inside))
            continue;
        // The prefix comes from the same selection made again; while the view is the same, the
        // one in hand is that selection.
        if (ViewNow() == before)
            FindSegmentPrefixIn(inside.set);
        else
            FindSegmentPrefix(districts[i]);
        for (Adesk::Int32 k = 0, n = inside.Length(); k < n; ++k) {
            ads_name member{};
            if (acedSSName(inside.set, k, member) == RTNORM)
                inDistricts.push_back(KeyOf(member));
        }
        ads_name district{};
        std::string code;
        if (acdbGetAdsName(district, districts[i]) == Acad::eOk)
            code = Text(district, "DJZQBM");
        CodeDistrictFeatures(inside.set, counters[i], code);
    }
    LeaveOut(outside, inDistricts);
    inDistricts = {};

    // Recoding pass: the final codes carry the district's code.
    const CCodeSegments layout = BuildParcelCodeSegments();
    const std::size_t districtLength =
        static_cast<std::size_t>(layout.SegmentLength(kDistrictSegment) +
                                 layout.SegmentLength(kStreetSegment) + layout.SegmentLength(kBlockSegment));
    {
        Meter meter("正在添加注记编码...", static_cast<int>(districts.size()));
        for (std::size_t i = 0; i < districts.size(); ++i) {
            meter.Step(static_cast<int>(i));
            ads_name district{};
            if (acdbGetAdsName(district, districts[i]) != Acad::eOk)
                continue;
            std::string code = Text(district, "DJZQBM");
            // One selection serves the prefix and the recoding while the view stays the same.
            Selection inside;
            const ViewShown before = ViewNow();
            const bool made = DistrictSelection(districts[i], inside);
            if (made)
                FindSegmentPrefixIn(inside.set);
            if (code.size() != districtLength)
                continue;
            if (ViewNow() != before) {
                inside.Free();
                if (!DistrictSelection(districts[i], inside))
                    continue;
            } else if (!made) {
                continue;
            }
            // Everything but the district itself.
            for (Adesk::Int32 k = 0, n = inside.Length(); k < n; ++k) {
                ads_name member{};
                if (acedSSName(inside.set, k, member) == RTNORM && KeyOf(member) != KeyOf(district))
                    Recode(member, code, true);
            }
        }
    }

    // Outside pass: what lies in no district is coded for the one the user picks.
    if (outside.Length() > 0) {
        int chosen = 0;
        if (districts.size() > 1) {
            acutPrintf("\n在图中发现%d个地物未在行政区内,请选择一行政区为其注记编码:",
                       static_cast<int>(outside.Length()));
            for (std::size_t j = 0; j < districts.size(); ++j) {
                std::string name, code;
                ReadEntityXDataChecked(districts[j], "DJZQMC", name, kXDataString, 0, false, false);
                ReadEntityXDataChecked(districts[j], "DJZQBM", code, kXDataString, 0, false, false);
                acutPrintf("\n(%d) 社区名称:%s, 社区代码:%s,", static_cast<int>(j), name.c_str(),
                           code.c_str());
            }
            if (acedGetInt("\n请选择以上一个行政区, <0>", &chosen) != RTNORM || chosen < 0 ||
                chosen >= static_cast<int>(districts.size()))
                chosen = 0;
        }
        ads_name district{};
        if (acdbGetAdsName(district, districts[chosen]) == Acad::eOk) {
            std::string code = Text(district, "DJZQBM");
            CodeDistrictFeatures(outside.set, counters[chosen], code);
            FindSegmentPrefix(districts[chosen]);
            if (code.size() == districtLength) {
                for (Adesk::Int32 k = 0, n = outside.Length(); k < n; ++k) {
                    ads_name member{};
                    if (acedSSName(outside.set, k, member) == RTNORM)
                        Recode(member, code, false);
                }
            }
        }
    }
    outside.Free();

    NumberHouses();
    if (overlong_ > 0)
        acutPrintf("\n%d个地物的编号超过7位, 保留19位编码", overlong_);
    return true;
}

void AnnotationCoder::NumberHouses() {
    Chain filter(acutBuildList(-4, "<or", -4, "<and", RTDXF0, "POLYLINE", 8, "JZD", -4, "and>", -4, "<and",
                               RTDXF0, "LWPOLYLINE", 8, "JZD", -4, "and>", -4, "or>", RTNONE));
    Selection parcels;
    parcels.made = acedSSGet("X", nullptr, nullptr, filter.get(), parcels.set) == RTNORM;
    if (!parcels.made)
        return;
    // The houses are read once; each parcel's selection is answered from them where they can tell.
    std::unordered_map<std::string, bool> houseCodes;
    const cadastral::WindowOutlines houses(kHouseCell, [&houseCodes](const ads_name entity) {
        const std::string code = Code(entity);
        auto known = houseCodes.find(code);
        if (known == houseCodes.end())
            known = houseCodes.emplace(code, IsHouse(code)).first;
        return known->second;
    });
    // The houses answer when their boxes make it clear: no house in the parcel, or just one.
    const PolygonAnswer answer = [&houses](const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                           const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected) {
        return houses.WindowPolygon(polygon, viewLow, viewHigh, selected);
    };
    const Adesk::Int32 count = parcels.Length();
    Meter meter("正在为房屋添加隶属宗地,房屋编号...", count);
    std::vector<AcDbObjectId> inside;
    for (Adesk::Int32 i = 0; i < count; ++i) {
        meter.Step(i);
        ads_name parcel{};
        std::string parcelCode;
        if (acedSSName(parcels.set, i, parcel) != RTNORM || Code(parcel) != kParcelCode ||
            !BuildDistrictCode(parcel, parcelCode))
            continue;
        AcGePoint2dArray ring;
        if (!ApproximateCurveArcs(parcel, ring, kArcStep) ||
            !SelectByPolygon(ring, "WP", kHouseReach, 1, answer, inside))
            continue;
        // The houses are numbered in the order the selection gives; of what the host selects,
        // the houses are the outlines read, whose codes were read once.
        int number = 1;
        for (AcDbObjectId id : inside) {
            ads_name member{};
            if (acdbGetAdsName(member, id) != Acad::eOk || !houses.Holds(id))
                continue;
            std::string houseNumber = HouseNumber(number);
            ++number;
            WriteEntityXData(id, "FWBH", houseNumber.c_str(), kXDataString, 0, false, false, false);
            WriteEntityXData(id, "ZDDM", parcelCode.c_str(), kXDataString, 0, false, false, false);
            WriteEntityXData(id, "FWDM", (parcelCode + houseNumber).c_str(), kXDataString, 0, false, false,
                             false);
        }
    }
}

void ADDCODEQZ() {
    // Codes taken from part of the table would be wrong codes: nothing is coded until it is mended.
    if (Tables().codesDamaged) {
        SayCodeTableDamaged();
        return;
    }
    RunExplodeGcd();
    {
        AnnotationCoder coder;
        coder.Run();
    }
    // Every coded note also carries its code under "ZJLX", which the shapefile export reads.
    AddZJLX();
}

}  // namespace cadastral
