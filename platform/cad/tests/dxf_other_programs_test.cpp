// Drawings other programs write: bytes after the end, tables left out, names in characters GBK
// lacks, UTF-8 under a code page that says otherwise. Each opens whole and saves to a file that
// reads back the same.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using platform::cad::PeekObject;

const std::string kSection = "  0\nSECTION\n  2\n";
const std::string kEnd = "  0\nENDSEC\n  0\nEOF\n";

std::string Header(const std::string& version, const std::string& codePage) {
    return kSection + "HEADER\n  9\n$ACADVER\n  1\n" + version + "\n  9\n$DWGCODEPAGE\n  3\n" + codePage +
           "\n  0\nENDSEC\n";
}

std::string Layer(const std::string& name) {
    return "  0\nLAYER\n  2\n" + name + "\n 70\n0\n 62\n7\n  6\nContinuous\n";
}

std::string Text(const std::string& layer, const std::string& text) {
    return "  0\nTEXT\n  8\n" + layer + "\n 10\n0\n 20\n0\n 40\n2.5\n  1\n" + text + "\n";
}

std::string Read(const std::string& text, AcDbDatabase& db) {
    std::string error;
    EXPECT_TRUE(platform::cad::ReadDxf(text, db, error)) << error << "\n" << text;
    return error;
}

std::vector<const AcDbEntity*> ModelSpace(const AcDbDatabase& db) {
    std::vector<const AcDbEntity*> out;
    if (auto* ms = AcDbBlockTableRecord::cast(PeekObject(db.modelSpaceId())))
        for (const auto& id : ms->entityIds())
            out.push_back(AcDbEntity::cast(PeekObject(id)));
    return out;
}

std::string TextOf(const AcDbEntity* entity) {
    auto* text = AcDbText::cast(entity);
    return text != nullptr ? text->textStringConst() : "(not a text)";
}

bool Has(AcDbObjectId tableId, const char* name) {
    AcDbObjectId id;
    return AcDbSymbolTable::cast(PeekObject(tableId))->getAt(name, id) == Acad::eOk;
}

// What the writer gives is GBK throughout.
std::string Written(const AcDbDatabase& db) {
    std::string written = platform::cad::WriteDxf(db);
    for (std::size_t i = 0; i < written.size();) {
        std::size_t len = platform::text::GbkDefinedCharLength(written, i);
        EXPECT_NE(len, 0u) << "not GBK at byte " << i << ": " << written.substr(i > 40 ? i - 40 : 0, 80);
        i += len == 0 ? 1 : len;
    }
    return written;
}

// Written and read again: every entity of model space on the same layer with the same text.
void ExpectSavedAndReadBack(const AcDbDatabase& db) {
    std::string written = Written(db);
    EXPECT_EQ(written.find("\n  8\n\n"), std::string::npos) << "an entity written without a layer";
    AcDbDatabase again(false, true);
    Read(written, again);
    auto before = ModelSpace(db), after = ModelSpace(again);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i]->layerName(), after[i]->layerName());
        EXPECT_EQ(TextOf(before[i]), TextOf(after[i]));
    }
}

TEST(DxfOtherPrograms, NothingAfterTheEndMarkerIsRead) {
    const std::string body = kSection + "ENTITIES\n" + Text("WALL", "x") + "  0\nENDSEC\n  0\n";
    const std::string tails[] = {
        "EOF\n\x1A",
        "EOF\x1A",
        "EOF\r\n\x1A\x1A",
        "EOF\nleft over from an older save\n  0\nLINE\n",
        std::string("EOF\n\xFF\xFE\0garbage", 13),
    };
    for (const std::string& tail : tails) {
        AcDbDatabase db(false, true);
        Read(body + tail, db);
        EXPECT_EQ(ModelSpace(db).size(), 1u) << tail;
    }
}

TEST(DxfOtherPrograms, PartialDrawingsGetTheRecordsTheyName) {
    // A layer table naming a linetype the file lacks; entities naming a linetype, a text style and
    // an application without records, and a text style named as a linetype before; a circle and a
    // vertex without a layer; no SEQEND.
    const std::string file =
        kSection + "TABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n  0\nLAYER\n  2\nAXES\n 70\n0\n 62\n1\n  6\nCENTER\n"
                   "  0\nENDTAB\n  0\nENDSEC\n" +
        kSection + "ENTITIES\n  0\nLINE\n  8\nWALL\n  6\nDASHED\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n1001\nSURVEY\n1000\nx\n" +
        "  0\nTEXT\n  8\nNOTES\n  7\nROMANS\n 10\n0\n 20\n0\n 40\n2.5\n  1\nhello\n" +
        "  0\nTEXT\n  8\nNOTES\n  7\nDASHED\n 10\n0\n 20\n0\n 40\n2.5\n  1\nagain\n1001\nSURVEY\n1000\ny\n" +
        "  0\nCIRCLE\n 10\n0\n 20\n0\n 40\n1\n" +
        "  0\nPOLYLINE\n  8\nPL\n 66\n1\n 10\n0\n 20\n0\n 30\n0\n 70\n0\n" +
        "  0\nVERTEX\n  8\nPL\n 10\n0\n 20\n0\n  0\nVERTEX\n 10\n1\n 20\n0\n" + kEnd;
    AcDbDatabase db(false, true);
    Read(file, db);
    EXPECT_TRUE(Has(db.linetypeTableId(), "CENTER"));
    EXPECT_TRUE(Has(db.linetypeTableId(), "DASHED"));
    EXPECT_TRUE(Has(db.textStyleTableId(), "ROMANS"));
    EXPECT_TRUE(Has(db.textStyleTableId(), "DASHED"));
    EXPECT_TRUE(Has(db.textStyleTableId(), "Standard"));
    EXPECT_TRUE(Has(db.regAppTableId(), "SURVEY"));
    auto entities = ModelSpace(db);
    ASSERT_EQ(entities.size(), 5u);
    EXPECT_EQ(entities[0]->linetypeName(), "DASHED");
    ASSERT_EQ(entities[0]->xdataApps().size(), 1u);
    EXPECT_EQ(entities[0]->xdataApps()[0].app, "SURVEY");
    EXPECT_EQ(entities[3]->layerName(), "0");
    auto* pline = AcDb2dPolyline::cast(entities[4]);
    ASSERT_NE(pline, nullptr);
    AcDbObjectIdArray subs;
    pline->subObjectIds(subs);
    ASSERT_EQ(subs.length(), 3);  // two vertices and the end marker the host adds
    for (const auto& id : subs)
        EXPECT_EQ(AcDbEntity::cast(PeekObject(id))->layerName(), "PL");
    ExpectSavedAndReadBack(db);

    // A name no record can have is still refused, naming its line.
    AcDbDatabase bad(false, true);
    std::string error;
    EXPECT_FALSE(platform::cad::ReadDxf(kSection + "ENTITIES\n  0\nLINE\n  6\nA|B\n" + kEnd, bad, error));
    EXPECT_NE(error.find("line 7: the linetype name \"A|B\" is not valid"), std::string::npos) << error;
}

TEST(DxfOtherPrograms, NamesBeyondGbkAreKeptAsEscapes) {
    // "Straße" of a code page 1252 file; a UTF-8 file of R2007 with Cyrillic (GBK has it), Hangul
    // and an emoji beyond the basic plane.
    AcDbDatabase latin(false, true);
    Read(Header("AC1015", "ANSI_1252") + kSection + "TABLES\n  0\nTABLE\n  2\nLAYER\n" + Layer("Stra\xDF" "e") +
             "  0\nENDTAB\n  0\nENDSEC\n" + kSection + "ENTITIES\n" + Text("Stra\xDF" "e", "Caf\xE9") + kEnd,
         latin);
    auto entities = ModelSpace(latin);
    ASSERT_EQ(entities.size(), 1u);
    EXPECT_EQ(entities[0]->layerName(), "Stra\\U+00DFe");
    EXPECT_EQ(TextOf(entities[0]), "Café");
    ExpectSavedAndReadBack(latin);
    EXPECT_NE(Written(latin).find("\n  8\nStra\\U+00DFe\n"), std::string::npos);

    AcDbDatabase unicode(false, true);
    Read(Header("AC1021", "ANSI_1252") + kSection + "ENTITIES\n" +
             Text("\xD0\xA1\xD0\xBB\xD0\xBE\xD0\xB9", "\xED\x95\x9C") + Text("\xF0\x9F\x98\x80", "x") + kEnd,
         unicode);
    entities = ModelSpace(unicode);
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(entities[0]->layerName(), "Слой");
    EXPECT_EQ(TextOf(entities[0]), "\\U+D55C");
    EXPECT_EQ(entities[1]->layerName(), "\\U+D83D\\U+DE00");
    ExpectSavedAndReadBack(unicode);

    // Only whole escapes make a backslash part of a name.
    AcDbLayerTableRecord record;
    EXPECT_EQ(record.setName("a\\U+00dfb"), Acad::eOk);
    for (const char* bad : {"a\\b", "a\\U+00D", "a\\U+00GF", "a\\U00DF"})
        EXPECT_EQ(record.setName(bad), Acad::eInvalidSymbolTableName) << bad;
}

TEST(DxfOtherPrograms, Utf8UnderASingleByteCodePageIsReadAsUtf8) {
    // GDAL's way: the header says ANSI_1252, the names and texts are UTF-8.
    AcDbDatabase all(false, true);
    Read(Header("AC1018", "ANSI_1252") + kSection + "ENTITIES\n" +
             Text(platform::text::GbkToUtf8("宗地"), platform::text::GbkToUtf8("界址点 Stra") + "\xC3\x9F" "e") +
             kEnd,
         all);
    auto entities = ModelSpace(all);
    ASSERT_EQ(entities.size(), 1u);
    EXPECT_EQ(entities[0]->layerName(), "宗地");
    EXPECT_EQ(TextOf(entities[0]), "界址点 Stra\\U+00DFe");

    // Its texts in code page 1252 (a degree sign) beside names in UTF-8.
    AcDbDatabase mixed(false, true);
    Read(Header("AC1018", "ANSI_1252") + kSection + "ENTITIES\n" +
             Text(platform::text::GbkToUtf8("房屋"), "45\xB0") + Text("Stra\xC3\x9F" "e", "x") + kEnd,
         mixed);
    entities = ModelSpace(mixed);
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(entities[0]->layerName(), "房屋");
    EXPECT_EQ(TextOf(entities[0]), "45°");
    EXPECT_EQ(entities[1]->layerName(), "Stra\\U+00DFe");

    // A file truly in code page 1252 stays so, even where two of its bytes happen to be UTF-8.
    AcDbDatabase latin(false, true);
    Read(Header("AC1018", "ANSI_1252") + kSection + "ENTITIES\n" + Text("0", "Fu\xDF\x93") + Text("0", "Caf\xE9") +
             kEnd,
         latin);
    entities = ModelSpace(latin);
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(TextOf(entities[0]), "Fu\\U+00DF“");
    EXPECT_EQ(TextOf(entities[1]), "Café");
}

TEST(DxfOtherPrograms, BytesGbkCannotDecodeKeepTheTextAfterThem) {
    // No $DWGCODEPAGE: the host's GBK. A byte GBK cannot start a character with stands alone.
    AcDbDatabase db(false, true);
    Read(kSection + "ENTITIES\n" + Text("0", "A\xFF" "B") + Text("0", "Caf\xE9 au lait") + Text("0", "45\xB0") +
             Text("0", "宗地") + Text("0", "\xAA\xA1\xF8\xA1") + kEnd,
         db);
    auto entities = ModelSpace(db);
    ASSERT_EQ(entities.size(), 5u);
    EXPECT_EQ(TextOf(entities[0]), "A\\U+00FFB");
    EXPECT_EQ(TextOf(entities[1]), "Café au lait");
    EXPECT_EQ(TextOf(entities[2]), "45°");
    EXPECT_EQ(TextOf(entities[3]), "宗地");
    EXPECT_EQ(TextOf(entities[4]), "\xAA\xA1\xF8\xA1");  // user-defined characters of a big font

    // Text a program set that is not GBK is written as valid GBK all the same.
    AcDbObjectId textId = ModelSpace(db)[3]->objectId();
    AcDbText* text = nullptr;
    ASSERT_EQ(acdbOpenObject(text, textId, AcDb::kForWrite), Acad::eOk);
    text->setTextString("x\xFFy\x81");
    text->close();
    EXPECT_NE(Written(db).find("\n  1\nx\\U+00FFy\\U+0081\n"), std::string::npos);
}

// Runs a Python script (GBK here, as every literal of this program) with the system's ezdxf in
// folder; gives what it printed.
std::string Python(const dero::testing::TempFolder& folder, const std::string& script) {
    dero::testing::WriteFile(folder / "check.py", platform::text::GbkToUtf8(script));
    std::string command = "cd '" + folder.path() + "' && /usr/bin/python3 check.py 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return platform::text::Utf8ToGbk(out);
}

TEST(DxfOtherPrograms, GdalExportOpensAndSavesWithItsNamesAndTexts) {
    dero::testing::TempFolder folder("dxf_gdal");
    ASSERT_FALSE(folder.path().empty());
    // Chinese layer names and labels, a layer name GBK lacks, a label in code page 1252.
    dero::testing::WriteFile(folder / "in.geojson", platform::text::GbkToUtf8(R"json({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"Layer": "宗地", "OGR_STYLE": "LABEL(f:\"Arial\",t:\"界址点\",s:2.5g)"},
 "geometry": {"type": "Point", "coordinates": [1, 2]}},
{"type": "Feature", "properties": {"Layer": "房屋"}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [3, 4]]}},
{"type": "Feature", "properties": {"Layer": "Stra\u00dfe", "OGR_STYLE": "LABEL(f:\"Arial\",t:\"45\u00b030\u2032\",s:2.5g)"},
 "geometry": {"type": "Point", "coordinates": [5, 6]}}]})json"));
    std::string convert = "cd '" + folder.path() + "' && ogr2ogr -f DXF in.dxf in.geojson > gdal.txt 2>&1";
    ASSERT_EQ(std::system(convert.c_str()), 0) << dero::testing::ReadFile(folder / "gdal.txt");

    auto run = dero::testing::RunCadhost(CADHOST_PROGRAM, folder.path(), "in.dxf -o out.dxf --no-default-modules");
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    // ezdxf reads \U+ escapes in its recovering reader only.
    std::string out = Python(folder, R"(
import ezdxf
from ezdxf import recover
doc, auditor = recover.readfile('out.dxf')
msp = doc.modelspace()
layers = [e.dxf.layer for e in msp]
texts = [e.text for e in msp.query('MTEXT')]
print('layers', layers == ['宗地', '房屋', 'Stra\u00dfe'], ascii(layers))
print('texts', texts == ['界址点', '45\u00b030\u2032'], ascii(texts))
print('table', {'宗地', '房屋', 'Stra\u00dfe'} <= {l.dxf.name for l in doc.layers})
for e in auditor.errors + doc.audit().errors:
    print('AUDIT', e.message)
)");
    EXPECT_NE(out.find("layers True"), std::string::npos) << out;
    EXPECT_NE(out.find("texts True"), std::string::npos) << out;
    EXPECT_NE(out.find("table True"), std::string::npos) << out;
    EXPECT_EQ(out.find("AUDIT"), std::string::npos) << out;
}

// Read with the lines the reader gives for what it mended.
std::vector<std::string> ReadMending(const std::string& text, AcDbDatabase& db) {
    std::string error;
    std::vector<std::string> notes;
    EXPECT_TRUE(platform::cad::ReadDxf(text, db, error, &notes)) << error << "\n" << text;
    return notes;
}

TEST(DxfOtherPrograms, OneBadRecordIsMendedAndSaidOnce) {
    // A table as an anonymous block inserted at scale 0; layers named with characters the host
    // refuses, one of them a control character no file keeps.
    const std::string file =
        kSection + "TABLES\n  0\nTABLE\n  2\nLAYER\n" + Layer("??? ESK") + Layer("A<B") + Layer("A*B") +
        Layer("A\x01" "B") + "  0\nENDTAB\n  0\nENDSEC\n" + kSection +
        "BLOCKS\n  0\nBLOCK\n  2\n*T12\n 70\n1\n 10\n0\n 20\n0\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
        "  0\nENDBLK\n  0\nENDSEC\n" +
        kSection + "ENTITIES\n  0\nINSERT\n  8\nA\x01" "B\n  2\n*T12\n 10\n0\n 20\n0\n 41\n0\n 42\n0.0\n 43\n0\n" +
        Text("??? ESK", "a") + Text("a<b", "b") + Text("A*B", "c") + kEnd;
    AcDbDatabase db(false, true);
    auto notes = ReadMending(file, db);
    const std::string refused = " holds characters the host refuses; ";
    const std::vector<std::string> expected = {
        "line 9: the LAYER name \"??? ESK\"" + refused + "it is kept as read",
        "line 19: the LAYER name \"A<B\"" + refused + "it is kept as read",
        "line 29: the LAYER name \"A*B\"" + refused + "it is kept as read",
        "line 39: the LAYER name \"A\x01" "B\"" + refused + "it is renamed \"A_B\"",
        "line 87: the INSERT has a zero scale factor; it is taken as 1",
    };
    EXPECT_EQ(notes, expected);
    auto entities = ModelSpace(db);
    ASSERT_EQ(entities.size(), 4u);
    auto* table = AcDbBlockReference::cast(entities[0]);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->scaleFactors().sx * table->scaleFactors().sy * table->scaleFactors().sz, 1.0);
    EXPECT_EQ(entities[0]->layerName(), "A_B");
    EXPECT_EQ(entities[1]->layerName(), "??? ESK");
    EXPECT_EQ(entities[2]->layerName(), "A<B");
    EXPECT_EQ(entities[3]->layerName(), "A*B");
    ExpectSavedAndReadBack(db);
    // Saved, the names kept go back as read and are said again; nothing else needs mending.
    AcDbDatabase again(false, true);
    notes = ReadMending(Written(db), again);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_NE(notes[0].find("\"??? ESK\"" + refused + "it is kept as read"), std::string::npos) << notes[0];

    // Through the host's file calls, the lines go to the command line.
    dero::testing::TempFolder folder("dxf_mended");
    dero::testing::WriteFile(folder / "mended.dxf", file);
    auto run = dero::testing::RunCadhost(CADHOST_PROGRAM, folder.path(), "mended.dxf -o saved.dxf --no-default-modules");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("mended.dxf: line 87: the INSERT has a zero scale factor; it is taken as 1\n"),
              std::string::npos) << run.out;

    // A name that the host could not mend is still refused, naming its line.
    AcDbDatabase bad(false, true);
    std::string error;
    EXPECT_FALSE(platform::cad::ReadDxf(kSection + "TABLES\n  0\nTABLE\n  2\nAPPID\n  0\nAPPID\n  2\nA\x01" "B\n" +
                                            "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n",
                                        bad, error));
    EXPECT_NE(error.find("line 9: the APPID cannot be read: eInvalidSymbolTableName"), std::string::npos) << error;
}

// A rational SPLINE with a weight for only one of its four control points: the others are taken
// as 1, said once, and the file saved holds a weight per point and nothing from past them.
TEST(DxfOtherPrograms, SplineShortOfWeightsIsMended) {
    const std::string file = kSection + "ENTITIES\n  0\nSPLINE\n  8\n0\n100\nAcDbEntity\n100\nAcDbSpline\n 70\n12\n"
                             " 71\n3\n 72\n8\n 73\n4\n 74\n0\n 40\n0\n 40\n0\n 40\n0\n 40\n0\n 40\n1\n 40\n1\n"
                             " 40\n1\n 40\n1\n 10\n0\n 20\n0\n 41\n2\n 10\n1\n 20\n1\n 10\n2\n 20\n0\n 10\n3\n 20\n1\n" +
                             kEnd;
    AcDbDatabase db(false, true);
    auto notes = ReadMending(file, db);
    EXPECT_EQ(notes, std::vector<std::string>{"line 5: the SPLINE lacks the weights of 3 control point(s); they are taken as 1"});
    auto entities = ModelSpace(db);
    ASSERT_EQ(entities.size(), 1u);
    int degree = 0;
    bool rational = false, closed = false, periodic = false;
    AcGePoint3dArray points;
    AcGeDoubleArray knots, weights;
    AcDbSpline::cast(entities[0])->getNurbsData(degree, rational, closed, periodic, points, knots, weights);
    ASSERT_EQ(weights.length(), 4);
    EXPECT_EQ(weights[0], 2.0);
    EXPECT_EQ(weights[3], 1.0);
    const std::string saved = Written(db);
    EXPECT_NE(saved.find(" 41\n2.0\n 10\n1.0\n 20\n1.0\n 30\n0.0\n 41\n1.0\n"), std::string::npos) << saved;
    AcDbDatabase again(false, true);
    EXPECT_TRUE(ReadMending(saved, again).empty());

    // Made short in code, the spline is written with weights of 1 where it has none.
    AcGeDoubleArray one;
    one.append(2.0);
    AcDbSpline made(3, true, false, false, points, knots, one);
    AcDbDxfFiler filer;
    made.dxfOutFields(&filer);
    std::vector<double> written;
    for (const auto& tag : filer.tags())
        if (tag.code == 41)
            written.push_back(tag.real);
    EXPECT_EQ(written, (std::vector<double>{2, 1, 1, 1}));
}

// Drawings of tests/data (made by make_damaged_drawings.py) whose one record used to refuse or
// empty the drawing; the corpus test compares them with ezdxf as saved.
TEST(DxfOtherPrograms, EllipsesAboveOneMissingGroupMembersAndAStarUModelSpaceAreMended) {
    auto read = [](const char* name, AcDbDatabase& db) {
        return ReadMending(dero::testing::ReadFile(DERO_SOURCE_DIR "/platform/cad/tests/data/" + std::string(name)), db);
    };
    AcDbDatabase ellipses(false, true);
    EXPECT_EQ(read("ellipse_ratio_above_one.dxf", ellipses),
              (std::vector<std::string>{
                  "line 1771: the ELLIPSE has an axis ratio of 1.0095, above 1; its axes are swapped",
                  "line 1801: the ELLIPSE has an axis ratio of 1.0000001, above 1; its axes are swapped"}));
    auto entities = ModelSpace(ellipses);
    ASSERT_EQ(entities.size(), 3u);
    // The same curves, point for point, as written: centre + major cos t + minor sin t.
    const struct { AcGePoint3d center; AcGeVector3d major; double ratio, start, end; } written[] = {
        {{0, 0, 0}, {10, 0, 0}, 1.0095, 0, 2 * std::acos(-1.0)}, {{30, 0, 0}, {0, 5, 0}, 1.0000001, 0.5, 2.5}};
    for (int e = 0; e < 2; ++e) {
        auto* ellipse = AcDbEllipse::cast(entities[e]);
        ASSERT_NE(ellipse, nullptr);
        EXPECT_LT(ellipse->radiusRatio(), 1);
        EXPECT_NEAR(ellipse->endParam() - ellipse->startParam(), written[e].end - written[e].start, 1e-12);
        const AcGeVector3d minor = AcGeVector3d(0, 0, 1).crossProduct(written[e].major) * written[e].ratio;
        for (double f : {0.0, 0.3, 1.0}) {
            const double t = written[e].start + f * (written[e].end - written[e].start);
            AcGePoint3d point, expected = written[e].center + written[e].major * std::cos(t) + minor * std::sin(t);
            ASSERT_EQ(ellipse->getPointAtParam(ellipse->startParam() + f * (ellipse->endParam() - ellipse->startParam()),
                                               point),
                      Acad::eOk);
            EXPECT_LT(point.distanceTo(expected), 1e-9) << e << " " << f;
        }
    }

    AcDbDatabase grouped(false, true);
    EXPECT_EQ(read("group_member_missing.dxf", grouped),
              (std::vector<std::string>{
                  "line 2873: the GROUP names the member 30, which the drawing lacks; it is left out of the group"}));
    EXPECT_EQ(ModelSpace(grouped).size(), 3u);
    AcDbObjectId group;
    ASSERT_EQ(AcDbDictionary::cast(PeekObject(grouped.groupDictionaryId()))->getAt("PARCEL", group), Acad::eOk);
    EXPECT_EQ(AcDbGroup::cast(PeekObject(group))->numEntities(), 2u);

    AcDbDatabase starU(false, true);
    EXPECT_EQ(read("model_space_as_u.dxf", starU),
              (std::vector<std::string>{"line 1667: the BLOCK_RECORD \"*U\" is named \"*MODEL_SPACE\" in its "
                                        "extended data; it is taken as the model space"}));
    EXPECT_EQ(ModelSpace(starU).size(), 3u);
    AcDbDatabase again(false, true);
    EXPECT_EQ(ReadMending(platform::cad::WriteDxf(starU), again).size(), 0u);
    EXPECT_EQ(ModelSpace(again).size(), 3u);
}

TEST(DxfOtherPrograms, DamagedStructuresAreMendedOnReading) {
    // Two lines of one handle; a polyface mesh whose end marker follows the next entity; an R12
    // radius dimension with its picture block; a dictionary without an owner; a layout whose
    // block record the file lacks, and its viewport.
    const std::string file =
        kSection + "BLOCKS\n  0\nBLOCK\n  2\n*D1\n 70\n1\n 10\n0\n 20\n0\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n"
                   " 11\n1\n 21\n1\n  0\nENDBLK\n  0\nENDSEC\n" +
        kSection + "ENTITIES\n  0\nLINE\n  5\n20\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n"
                   "  0\nLINE\n  5\n20\n  8\n0\n 10\n2\n 20\n0\n 11\n3\n 21\n1\n"
                   "  0\nPOLYLINE\n  8\nMESH\n 66\n1\n 10\n0\n 20\n0\n 30\n0\n 70\n64\n 71\n3\n 72\n1\n"
                   "  0\nVERTEX\n  8\nMESH\n 10\n0\n 20\n0\n 30\n0\n 70\n192\n"
                   "  0\nSOLID\n  8\n0\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n 12\n0\n 22\n1\n 13\n0\n 23\n1\n"
                   "  0\nSEQEND\n  8\nMESH\n"
                   "  0\nDIMENSION\n  8\n0\n  2\n*D1\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n 70\n4\n  1\n\n"
                   " 15\n3\n 25\n3\n 40\n0\n"
                   "  0\nVIEWPORT\n  5\n30\n330\n99\n100\nAcDbEntity\n 67\n1\n  8\n0\n100\nAcDbViewport\n"
                   " 10\n0\n 20\n0\n 40\n1\n 41\n1\n 69\n2\n  0\nENDSEC\n" +
        kSection + "OBJECTS\n  0\nDICTIONARY\n  5\nA\n330\n0\n100\nAcDbDictionary\n  3\nACAD_LAYOUT\n350\nB\n"
                   "  3\nSURVEY\n350\nC\n"
                   "  0\nDICTIONARY\n  5\nB\n330\nA\n100\nAcDbDictionary\n  3\nSheet 2\n350\nD\n"
                   "  0\nDICTIONARY\n  5\nC\n100\nAcDbDictionary\n"
                   "  0\nLAYOUT\n  5\nD\n330\nB\n100\nAcDbPlotSettings\n  1\nsetup\n100\nAcDbLayout\n  1\nSheet 2\n"
                   " 70\n1\n330\n99\n331\n30\n" +
        kEnd;
    AcDbDatabase db(false, true);
    auto notes = ReadMending(file, db);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].substr(0, 57), "line 49: handle 20 is used twice; the LINE takes handle 3");
    EXPECT_EQ(notes[1], "line 113: a SEQEND without a POLYLINE or INSERT is left out");
    EXPECT_EQ(notes[2], "line 205: the LAYOUT \"Sheet 2\" names no block record the drawing has; it is left out "
                        "with 1 viewport(s)");
    EXPECT_EQ(ModelSpace(db).size(), 6u);  // the mesh vertex is an entity of its own

    std::string written = Written(db);
    std::size_t polyline = written.find("\nPOLYLINE\n"), vertex = written.find("\nVERTEX\n", polyline),
                seqend = written.find("\nSEQEND\n", vertex), solid = written.find("\nSOLID\n", polyline);
    EXPECT_TRUE(polyline < vertex && vertex < seqend && seqend < solid) << written;
    EXPECT_NE(written.find("100\nAcDbDimension\n  2\n*D1\n"), std::string::npos) << written;
    EXPECT_NE(written.find("100\nAcDbRadialDimension\n 15\n"), std::string::npos) << written;
    EXPECT_NE(written.find("DICTIONARY\n  5\nC\n330\nA\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("\nLAYOUT\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("\nVIEWPORT\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("Sheet 2"), std::string::npos) << written;
    AcDbDatabase again(false, true);
    EXPECT_TRUE(ReadMending(written, again).empty());
    EXPECT_EQ(ModelSpace(again).size(), 7u);  // and its end marker now
}

TEST(DxfOtherPrograms, ViewsCoordinateSystemsAndTheStyleListGoBackAsRead) {
    const std::string tables =
        "  0\nTABLE\n  2\nVIEW\n  5\n10\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
        "  0\nVIEW\n  5\n11\n330\n10\n100\nAcDbSymbolTableRecord\n100\nAcDbViewTableRecord\n  2\nParcel\n 70\n0\n"
        " 40\n30.0\n 10\n50.0\n 20\n40.0\n  0\nENDTAB\n"
        "  0\nTABLE\n  2\nUCS\n  5\n12\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
        "  0\nUCS\n  5\n13\n330\n12\n100\nAcDbSymbolTableRecord\n100\nAcDbUCSTableRecord\n  2\nGrid\n 70\n0\n"
        " 10\n1000.0\n 20\n2000.0\n 30\n0.0\n  0\nENDTAB\n"
        "  0\nTABLE\n  2\nDIMSTYLE\n  5\n14\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n100\nAcDbDimStyleTable\n 71\n1\n"
        "340\n15\n  0\nDIMSTYLE\n105\n15\n330\n14\n100\nAcDbSymbolTableRecord\n100\nAcDbDimStyleTableRecord\n"
        "  2\nStandard\n 70\n0\n  0\nENDTAB\n";
    std::string text = kSection + "TABLES\n" + tables + "  0\nENDSEC\n" + kSection + "ENTITIES\n" + kEnd;
    for (int round = 0; round < 2; ++round) {
        AcDbDatabase db(false, true);
        Read(text, db);
        text = Written(db);
        EXPECT_NE(text.find(tables.substr(0, tables.find("  0\nTABLE\n  2\nUCS"))), std::string::npos) << text;
        EXPECT_NE(text.find("  0\nUCS\n  5\n13\n330\n12\n100\nAcDbSymbolTableRecord\n100\nAcDbUCSTableRecord\n"
                            "  2\nGrid\n 70\n0\n 10\n1000.0\n 20\n2000.0\n 30\n0.0\n  0\nENDTAB\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("100\nAcDbDimStyleTable\n 71\n1\n340\n15\n  0\nDIMSTYLE\n105\n15\n"), std::string::npos)
            << text;
    }
}

TEST(DxfOtherPrograms, PartialDrawingSavedOverItselfOpensAgain) {
    dero::testing::TempFolder folder("dxf_partial");
    ASSERT_FALSE(folder.path().empty());
    dero::testing::WriteFile(folder / "part.dxf",
                             kSection + "ENTITIES\n  0\nCIRCLE\n 10\n0\n 20\n0\n 40\n1\n" +
                                 "  0\nPOLYLINE\n 66\n1\n 10\n0\n 20\n0\n 30\n0\n 70\n0\n" +
                                 "  0\nVERTEX\n 10\n0\n 20\n0\n  0\nVERTEX\n 10\n1\n 20\n0\n" +
                                 Text("0", "x") + "  0\nLINE\n  6\nDASHED\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n" +
                                 kEnd + "\x1A");
    for (int round = 0; round < 2; ++round) {
        auto run = dero::testing::RunCadhost(CADHOST_PROGRAM, folder.path(), "part.dxf -o part.dxf --no-default-modules");
        ASSERT_EQ(run.status, 0) << round << run.out << run.err;
    }
    std::string out = Python(folder, R"(
import ezdxf
doc = ezdxf.readfile('part.dxf')
print('entities', [(e.dxftype(), e.dxf.layer) for e in doc.modelspace()])
for e in doc.audit().errors:
    print('AUDIT', e.message)
)");
    EXPECT_NE(out.find("entities [('CIRCLE', '0'), ('POLYLINE', '0'), ('TEXT', '0'), ('LINE', '0')]"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("AUDIT"), std::string::npos) << out;
}

}  // namespace
