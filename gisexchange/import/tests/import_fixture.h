// A drawing in the host with hand-made MapGIS files and tables, and what the drawing holds after a
// read, for the tests of the import.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/gis_import.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/documents.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "platform/gis/gis_document.h"
#include "testing/host_machine.h"

namespace import_testing {

using platform::gis::GisDocument;

// Parameter blocks as the MapGIS library keeps them: little-endian.
template <std::size_t N>
struct Params {
    std::array<BYTE, N> bytes{};
    Params& Put32(int at, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<BYTE>(static_cast<std::uint32_t>(v) >> (8 * i));
        return *this;
    }
    Params& Put16(int at, std::int16_t v) {
        bytes[at] = static_cast<BYTE>(v);
        bytes[at + 1] = static_cast<BYTE>(static_cast<std::uint16_t>(v) >> 8);
        return *this;
    }
    Params& PutFloat(int at, float v) {
        std::int32_t bits;
        std::memcpy(&bits, &v, 4);
        return Put32(at, bits);
    }
    Params& PutDouble(int at, double v) {
        std::int64_t bits;
        std::memcpy(&bits, &v, 8);
        Put32(at, static_cast<std::int32_t>(bits));
        return Put32(at + 4, static_cast<std::int32_t>(bits >> 32));
    }
};
using PointParams = Params<GIS_POINT_PARAM_SIZE>;
using LineParams = Params<GIS_LINE_PARAM_SIZE>;
using AreaParams = Params<GIS_AREA_PARAM_SIZE>;

// A point of kind 1 (symbol), 2 (circle) or 0 (annotation).
inline PointParams PointKind(int kind) {
    PointParams p;
    p.bytes[0] = static_cast<BYTE>(kind);
    return p;
}

// A file whose fields are "ID" and the named text fields.
inline GisDocument NewFile(short kind, const std::vector<std::string>& fields) {
    GisDocument d = platform::gis::NewGisDocument(kind);
    for (const std::string& name : fields) {
        platform::gis::GisField field;
        field.name = name;
        field.width = 60;
        d.fields.push_back(field);
    }
    return d;
}
inline std::vector<std::string> Values(std::vector<std::string> values) {
    values.insert(values.begin(), "0");
    return values;
}
inline void AddPoint(GisDocument& d, double x, double y, const std::string& text, const PointParams& params,
                     const std::vector<std::string>& values) {
    d.points.push_back({{x, y}, text, params.bytes, Values(values)});
}
inline LONG AddLine(GisDocument& d, std::vector<D_DOT> points, const LineParams& params,
                    const std::vector<std::string>& values) {
    d.lines.push_back({std::move(points), params.bytes, Values(values)});
    return static_cast<LONG>(d.lines.size());
}
inline void AddArea(GisDocument& d, std::vector<LONG> entries, const AreaParams& params,
                    const std::vector<std::string>& values) {
    entries.insert(entries.begin(), static_cast<LONG>(entries.size()));
    d.areas.push_back({std::move(entries), params.bytes, Values(values)});
}

struct Seen {
    AcDbObjectId id;
    std::string type, code, layer;
    int color = 0;
};

class ImportTest : public dero::testing::HostMachineTest {
protected:
    explicit ImportTest(const char* prefix) : HostMachineTest(prefix) {}

    void SetUp() override {
        HostMachineTest::SetUp();
        std::filesystem::create_directories(Root() / "c" / "data");
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        SetScale(1000);  // scale factor 1
        gisexchange::ExchangeRows().clear();
        gisexchange::Config() = {};
        gisexchange::ClearCodeGroups();
        MakeSymbolFile("gc200");
    }
    void TearDown() override {
        gisexchange::ExchangeRows().clear();
        gisexchange::Config() = {};
        HostMachineTest::TearDown();
    }

    static void SetScale(double scale) {
        resbuf value{};
        value.restype = RTREAL;
        value.resval.rreal = scale;
        ASSERT_EQ(acedSetVar("userr1", &value), RTNORM);
    }
    static void SetText(const char* name, const char* text) {
        resbuf value{};
        value.restype = RTSTR;
        value.resval.rstring = const_cast<char*>(text);
        ASSERT_EQ(acedSetVar(name, &value), RTNORM);
    }

    // A drawing of one circle in the support folder, for the blocks of imported points.
    void MakeSymbolFile(const std::string& name) const {
        AcDbDatabase symbol;
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(acdbOpenObject(table, symbol.blockTableId(), AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecord* model = nullptr;
        ASSERT_EQ(table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForWrite), Acad::eOk);
        table->close();
        AcDbObjectId id;
        model->appendAcDbEntity(id, new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 0.5));
        model->close();
        ASSERT_EQ(symbol.saveAs(("C:\\support\\" + name + ".dxf").c_str()), Acad::eOk);
    }

    static void Write(const std::string& windowsPath, const GisDocument& d) {
        ASSERT_TRUE(platform::gis::WriteFileAtomically(windowsPath, platform::gis::SerializeGisDocument(d)));
    }

    // Lines of the tables as the module reads them (GBK, no line ends).
    static void Templates(const std::vector<std::string>& lines) {
        ASSERT_TRUE(gisexchange::ParseTemplates(lines, gisexchange::Config().templates));
    }
    static void Index(const std::vector<std::string>& lines) {
        gisexchange::Config().index = gisexchange::ParseIndex(lines);
    }
    static gisexchange::ExchangeRow& Row(const char* code, const char* layer) {
        gisexchange::ExchangeRow row;
        row.code = code;
        row.layer = layer;
        gisexchange::ExchangeRows().push_back(row);
        return gisexchange::ExchangeRows().back();
    }

    // Reads the file into the drawing under the category; the two counts.
    std::pair<int, int> Import(const std::string& windowsPath, short kind, const char* category,
                               const std::vector<gisexchange::AttributeTable>& tables = {},
                               gisexchange::CGisWorkView* given = nullptr) {
        gisexchange::CGisWorkView own;
        gisexchange::CGisWorkView& view = given != nullptr ? *given : own;
        EXPECT_GT(view.OpenGisFile(windowsPath.c_str(), kind), 0) << windowsPath;
        std::vector<std::string> groups;
        gisexchange::ReadImportCodes(view, category, tables, groups);
        int recognised = -1, unrecognised = -1;
        if (kind == GIS_KIND_POINT)
            gisexchange::ImportPointFile(view, recognised, unrecognised, tables, groups);
        else if (kind == GIS_KIND_LINE)
            gisexchange::ImportLineFile(view, recognised, unrecognised, tables, groups);
        else
            gisexchange::ImportAreaFile(view, recognised, unrecognised, tables, groups);
        return {recognised, unrecognised};
    }

    // Every entity of the drawing, in drawing order.
    static std::vector<Seen> Drawing() {
        std::vector<Seen> seen;
        ads_name all{};
        if (acedSSGet("X", nullptr, nullptr, nullptr, all) != RTNORM)
            return seen;
        Adesk::Int32 length = 0;
        acedSSLength(all, &length);
        for (Adesk::Int32 i = 0; i < length; ++i) {
            ads_name entity{};
            acedSSName(all, i, entity);
            Seen s;
            acdbGetObjectId(s.id, entity);
            GetEntityCode(entity, s.code);
            drawingutil::Opened<AcDbEntity> object(s.id, AcDb::kForRead);
            s.type = object->isA()->dxfName();
            s.layer = object->layerName();
            s.color = object->colorIndex();
            seen.push_back(s);
        }
        acedSSFree(all);
        return seen;
    }
    static std::string Item(AcDbObjectId id, const char* application, int index, int kind = kXDataString) {
        std::string text;
        ReadEntityXData(id, application, text, kind, index, true, false);
        return text;
    }
};

}  // namespace import_testing
