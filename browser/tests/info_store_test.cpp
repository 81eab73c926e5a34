#include "browser/info_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/info_item.h"
#include "browser/index_xrecord.h"
#include "browser/item_list.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/win/fault_injection.h"
#include "testing/temp_folder.h"

namespace {

namespace ui = platform::ui;
using Bytes = std::vector<std::uint8_t>;

std::vector<CInfoItem> SampleItems()
{
    CInfoItem a;
    a.SetTitle("宗地检查");
    a.AppendItemText("界址点重合");
    a.AddPointLink({1.5, 2.5});
    a.AppendItemText("说明");
    CInfoItem b;
    b.SetTitle("B");
    b.AppendItemText("x");
    b.AddObjectLinks({"1F", "20"});
    return {a, b};
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Whether a message box with exactly this text was shown since the transcript was last cleared.
bool Shown(const std::string& text)
{
    for (const std::string& line : ui::TranscriptLines()) {
        if (line.rfind("box ", 0) == 0 && line.find("\"" + text + "\"") != std::string::npos)
            return true;
    }
    return false;
}

// The record under "QV_INDEX"/"Tallyview" of the working drawing, closed again (the test only reads it).
AcDbXrecord* Record()
{
    AcDbDictionary* named = nullptr;
    acdbHostApplicationServices()->workingDatabase()->getNamedObjectsDictionary(named, AcDb::kForRead);
    AcDbObject* sub = nullptr;
    named->getAt("QV_INDEX", sub, AcDb::kForRead);
    named->close();
    AcDbObject* record = nullptr;
    AcDbDictionary::cast(sub)->getAt("Tallyview", record, AcDb::kForRead);
    sub->close();
    record->close();
    return AcDbXrecord::cast(record);
}

// Replaces the data of that record with the chain, which it frees.
void Overwrite(resbuf* chain)
{
    AcDbDictionary* named = nullptr;
    acdbHostApplicationServices()->workingDatabase()->getNamedObjectsDictionary(named, AcDb::kForRead);
    AcDbObject* sub = nullptr;
    named->getAt("QV_INDEX", sub, AcDb::kForRead);
    named->close();
    AcDbObject* record = nullptr;
    AcDbDictionary::cast(sub)->getAt("Tallyview", record, AcDb::kForWrite);
    sub->close();
    EXPECT_EQ(AcDbXrecord::cast(record)->setFromRbChain(*chain), Acad::eOk);
    record->close();
    acutRelRb(chain);
}

class InfoStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        queue = ui::UseAnswerQueue();
        ui::ClearTranscript();
        db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        BrowserItems() = SampleItems();
    }
    void TearDown() override
    {
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        ui::SetAnswerDriver(nullptr);
        BrowserItems().clear();
    }
    std::string Path(const char* name) const { return folder / name; }

    dero::testing::TempFolder folder{"info_store"};
    std::shared_ptr<ui::AnswerQueue> queue;
    std::unique_ptr<AcDbDatabase> db;
};

TEST_F(InfoStore, FilesRoundTripAndDamagedFilesKeepTheItems)
{
    // An empty list is the magic and a zero count.
    BrowserItems().clear();
    queue->Push(ui::SaveFileAnswer(Path("empty.info")));
    queue->Push(ui::BoxAnswer(IDOK));
    SaveInfoFile();
    EXPECT_EQ(ReadFile(Path("empty.info")), (Bytes{0x0C, 0x12, 0x19, 0x05, 0, 0, 0, 0}));
    EXPECT_TRUE(Shown("保存成功"));

    BrowserItems() = SampleItems();
    queue->Push(ui::SaveFileAnswer(Path("two.info")));
    queue->Push(ui::BoxAnswer(IDOK));
    SaveInfoFile();

    // Answering No changes nothing; Yes replaces the list.
    BrowserItems().resize(1);
    queue->Push(ui::OpenFileAnswer({Path("two.info")}));
    queue->Push(ui::BoxAnswer(IDNO));
    EXPECT_FALSE(OpenInfoFile());
    EXPECT_EQ(BrowserItems().size(), 1u);
    queue->Push(ui::OpenFileAnswer({Path("two.info")}));
    queue->Push(ui::BoxAnswer(IDYES));
    EXPECT_TRUE(OpenInfoFile());
    EXPECT_EQ(BrowserItems(), SampleItems());

    // Another magic, or the right magic with a cut image: the items stay and the user is told.
    Bytes good = ReadFile(Path("two.info"));
    Bytes wrongMagic = good;
    wrongMagic[0] = 0x0D;
    WriteFile(Path("magic.info"), wrongMagic);
    WriteFile(Path("cut.info"), Bytes(good.begin(), good.end() - 3));
    BrowserItems().resize(1);
    ui::ClearTranscript();
    queue->Push(ui::OpenFileAnswer({Path("magic.info")}));
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(OpenInfoFile());
    EXPECT_TRUE(Shown("文件格式不正确"));
    queue->Push(ui::OpenFileAnswer({Path("cut.info")}));
    queue->Push(ui::BoxAnswer(IDYES));
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(OpenInfoFile());
    ASSERT_EQ(BrowserItems().size(), 1u);
    EXPECT_EQ(BrowserItems()[0], SampleItems()[0]);

    // An empty file says nothing and changes nothing.
    WriteFile(Path("zero.info"), {});
    ui::ClearTranscript();
    queue->Push(ui::OpenFileAnswer({Path("zero.info")}));
    EXPECT_FALSE(OpenInfoFile());
    EXPECT_EQ(BrowserItems().size(), 1u);
    EXPECT_EQ(queue->Pending(), 0u);

    // A file that cannot be created: both messages, and never a success.
    ui::ClearTranscript();
    queue->Push(ui::SaveFileAnswer(Path("missing/x.info")));
    queue->Push(ui::BoxAnswer(IDOK));
    queue->Push(ui::BoxAnswer(IDOK));
    SaveInfoFile();
    EXPECT_TRUE(Shown("无法保存!"));
    EXPECT_TRUE(Shown("保存失败"));
    EXPECT_FALSE(Shown("保存成功"));
}

// A file of one item: title "A", text "x", one entry linked to the point (1.5, 2.5). Its bytes:
// magic 0, count 4, title 8, text 13, kinds 18 (the kind at 22), positions 26 (30, 34),
// handle lists 38, line starts 46, line ends 66, points 86 (x at 90), polylines 106, regions 114.
Bytes OneItemFile()
{
    CInfoItem item;
    item.SetTitle("A");
    item.AppendItemText("x");
    item.AddPointLink({1.5, 2.5});
    CByteStream stream;
    std::uint32_t magic = kInfoFileMagic;
    stream.ReadWriteU32(magic);
    WriteInfoItems(stream, {item});
    return stream.WriteBuffer();
}

template <typename T>
Bytes Patched(Bytes bytes, std::size_t at, T value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
    return bytes;
}

TEST_F(InfoStore, DamagedFilesAreRefusedWhole)
{
    const Bytes good = OneItemFile();
    ASSERT_EQ(good.size(), 122u);
    Bytes junk = good;
    junk.push_back(0);
    Bytes twoItems = Patched(good, 4, std::uint32_t{2});
    twoItems.insert(twoItems.end(), good.begin() + 8, good.end());
    const std::pair<const char*, Bytes> damaged[] = {
        {"no item, then junk", {0x0C, 0x12, 0x19, 0x05, 0, 0, 0, 0, 'j', 'u', 'n', 'k'}},
        {"a byte after the last item", junk},
        {"a count of one before two items", Patched(twoItems, 4, std::uint32_t{1})},
        {"a link kind of 6", Patched(good, 22, std::int32_t{6})},
        {"a link kind below nought", Patched(good, 22, std::int32_t{-1})},
        {"a point that is not a number", Patched(good, 90, std::numeric_limits<double>::quiet_NaN())},
        {"a point at infinity", Patched(good, 90 + 8, -std::numeric_limits<double>::infinity())},
        {"a line start that is not a number", Patched(good, 50, std::numeric_limits<double>::quiet_NaN())},
        {"an entry past the end of the text", Patched(good, 34, std::int32_t{4})},
        {"positions that go back", Patched(good, 34, std::int32_t{-3})},
    };
    for (const auto& [what, bytes] : damaged) {
        WriteFile(Path("bad.info"), bytes);
        BrowserItems() = SampleItems();
        ui::ClearTranscript();
        queue->Push(ui::OpenFileAnswer({Path("bad.info")}));
        queue->Push(ui::BoxAnswer(IDYES));
        queue->Push(ui::BoxAnswer(IDOK));
        EXPECT_FALSE(OpenInfoFile()) << what;
        EXPECT_TRUE(Shown("文件格式不正确")) << what;
        EXPECT_EQ(BrowserItems(), SampleItems()) << what;
        EXPECT_EQ(queue->Pending(), 0u) << what;
    }

    // The same file whole is read, and saved again gives the same bytes.
    for (const Bytes& bytes : {good, twoItems}) {
        WriteFile(Path("good.info"), bytes);
        queue->Push(ui::OpenFileAnswer({Path("good.info")}));
        queue->Push(ui::BoxAnswer(IDYES));
        ASSERT_TRUE(OpenInfoFile());
        queue->Push(ui::SaveFileAnswer(Path("again.info")));
        queue->Push(ui::BoxAnswer(IDOK));
        SaveInfoFile();
        EXPECT_EQ(ReadFile(Path("again.info")), bytes);
    }
}

TEST_F(InfoStore, RecordChunksAndDamage)
{
    for (std::size_t length : {0u, 1u, 255u, 256u, 600u}) {
        Bytes image(length);
        for (std::size_t i = 0; i < length; ++i)
            image[i] = static_cast<std::uint8_t>(i * 7);
        ASSERT_TRUE(WriteIndexXrecord("QV_INDEX", "Tallyview", image.data(), image.size()));
        EXPECT_EQ(ReadIndexXrecord("QV_INDEX", "Tallyview"), image) << length;
        EXPECT_EQ(Record()->data().size(), 1 + (length + 254) / 255) << length;
    }
    bool damaged = true;
    EXPECT_FALSE(ReadIndexXrecord("QV_INDEX", "Other", &damaged));
    EXPECT_FALSE(damaged);
    damaged = true;
    EXPECT_FALSE(ReadIndexXrecord("NONE", "Tallyview", &damaged));
    EXPECT_FALSE(damaged);

    // Chunks short of the length, past it, without the length, or a length below nought: each is
    // refused as damaged, without reading past either end.
    char bytes[300] = {};
    ads_binary chunk{255, bytes};
    ads_binary rest{45, bytes};
    const auto damage = [&](resbuf* chain, const char* what) {
        Overwrite(chain);
        bool said = false;
        EXPECT_FALSE(ReadIndexXrecord("QV_INDEX", "Tallyview", &said)) << what;
        EXPECT_TRUE(said) << what;
    };
    damage(acutBuildList(90, 301L, 310, &chunk, 310, &rest, RTNONE), "one byte short");
    damage(acutBuildList(90, 299L, 310, &chunk, 310, &rest, RTNONE), "one byte over");
    damage(acutBuildList(90, 300L, 310, &chunk, RTNONE), "a chunk missing");
    damage(acutBuildList(310, &chunk, 310, &rest, RTNONE), "no length");
    damage(acutBuildList(1, "300", 310, &chunk, 310, &rest, RTNONE), "another group first");
    damage(acutBuildList(90, -1L, RTNONE), "a length below nought");
    // The same chunks with the right length, and other groups between them, are read.
    Overwrite(acutBuildList(90, 300L, 310, &chunk, 1, "note", 310, &rest, RTNONE));
    EXPECT_EQ(ReadIndexXrecord("QV_INDEX", "Tallyview", &damaged), Bytes(300)) << "other groups are passed over";
    EXPECT_FALSE(damaged);

    EraseIndexXrecord("QV_INDEX", "Tallyview");
    EXPECT_FALSE(ReadIndexXrecord("QV_INDEX", "Tallyview", &damaged));
    EXPECT_FALSE(damaged);
    EraseIndexXrecord("NONE", "Tallyview");  // nothing to erase: nothing happens
}

TEST_F(InfoStore, DrawingStoreSurvivesSaveAndReopen)
{
    ui::ClearTranscript();
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(ImportItemsFromDrawing());
    EXPECT_TRUE(Shown("当前图中没有保存信息窗内容"));

    // Cancel exports nothing; exporting twice leaves one record with the second list.
    queue->Push(ui::BoxAnswer(IDCANCEL));
    ExportItemsToDrawing();
    EXPECT_FALSE(ReadIndexXrecord("QV_INDEX", "Tallyview"));
    BrowserItems().resize(1);
    queue->Push(ui::BoxAnswer(IDOK));
    ExportItemsToDrawing();
    BrowserItems() = SampleItems();
    queue->Push(ui::BoxAnswer(IDOK));
    ExportItemsToDrawing();
    AcDbDictionary* named = nullptr;
    ASSERT_EQ(db->getNamedObjectsDictionary(named, AcDb::kForRead), Acad::eOk);
    AcDbObject* object = nullptr;
    ASSERT_EQ(named->getAt("QV_INDEX", object, AcDb::kForRead), Acad::eOk);
    named->close();
    EXPECT_EQ(AcDbDictionary::cast(object)->numEntries(), 1u);
    object->close();

    const std::string file = Path("store.dxf");
    ASSERT_EQ(db->saveAs(file.c_str()), Acad::eOk);
    auto reopened = std::make_unique<AcDbDatabase>(false, true);
    ASSERT_EQ(reopened->readDwgFile(file.c_str()), Acad::eOk);
    acdbHostApplicationServices()->setWorkingDatabase(reopened.get());
    BrowserItems().clear();
    queue->Push(ui::BoxAnswer(IDYES));
    EXPECT_TRUE(ImportItemsFromDrawing());
    EXPECT_EQ(BrowserItems(), SampleItems());

    // A damaged record says so and keeps the items, without asking to replace them.
    const Bytes stored = *ReadIndexXrecord("QV_INDEX", "Tallyview");
    char half[8] = {};
    ads_binary chunk{8, half};
    Overwrite(acutBuildList(90, static_cast<long>(stored.size()), 310, &chunk, RTNONE));
    ui::ClearTranscript();
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(ImportItemsFromDrawing());
    EXPECT_TRUE(Shown("文件格式不正确"));
    EXPECT_FALSE(Shown("当前图中没有保存信息窗内容"));
    EXPECT_EQ(queue->Pending(), 0u);
    EXPECT_EQ(BrowserItems(), SampleItems());

    // A record whose image does not parse keeps the items.
    Bytes cut{5, 0, 0, 0, 1};
    ASSERT_TRUE(WriteIndexXrecord("QV_INDEX", "Tallyview", cut.data(), cut.size()));
    queue->Push(ui::BoxAnswer(IDYES));
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(ImportItemsFromDrawing());
    EXPECT_EQ(BrowserItems(), SampleItems());
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
}

TEST_F(InfoStore, FailedWritesAndReadsAreReportedAndLeaveNoFile)
{
    using platform::win::FaultKind;
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(FaultKind::Write, u"*\\full.info", ERROR_DISK_FULL);
    platform::win::InjectFault(FaultKind::Close, u"*\\closing.info", ERROR_WRITE_FAULT);
    for (const char* name : {"full.info", "closing.info"}) {
        ui::ClearTranscript();
        queue->Push(ui::SaveFileAnswer(Path(name)));
        queue->Push(ui::BoxAnswer(IDOK));
        SaveInfoFile();
        EXPECT_TRUE(Shown("保存失败")) << name;
        EXPECT_FALSE(Shown("保存成功")) << name;
        EXPECT_FALSE(std::filesystem::exists(Path(name))) << name;
    }

    // A saved file that cannot be read back says so and costs no item.
    queue->Push(ui::SaveFileAnswer(Path("saved.info")));
    queue->Push(ui::BoxAnswer(IDOK));
    SaveInfoFile();
    ASSERT_TRUE(std::filesystem::exists(Path("saved.info")));
    platform::win::InjectFault(FaultKind::Read, u"*\\saved.info", ERROR_READ_FAULT);
    ui::ClearTranscript();
    BrowserItems().resize(1);
    queue->Push(ui::OpenFileAnswer({Path("saved.info")}));
    queue->Push(ui::BoxAnswer(IDOK));
    EXPECT_FALSE(OpenInfoFile());
    EXPECT_TRUE(Shown("无法打开文件!"));
    EXPECT_EQ(BrowserItems().size(), 1u);
    EXPECT_EQ(queue->Pending(), 0u);
}

}  // namespace
