// Seeded mutations of small generated drawings: every one is read in this process, and every one
// that opens shows its extents, saves and opens again. A failure names the shard, the mutation
// number and what was changed, so that one case can be run again alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dxf_sample_drawing.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/cad/view_state.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

constexpr int kShards = 6;
constexpr int kMutationsPerShard = 500;

// A small town as makedrawing makes it: the kinds of entities and XData the toolkit writes.
std::string TownText() {
    static const std::string text = [] {
        dero::testing::TempFolder folder("dxf_fuzz");
        const std::string out = folder / "town.dxf";
        const std::string command = std::string("'") + MAKEDRAWING_PATH + "' --out '" + out +
                                    "' --parcels 3 --seed 11 --gaps 0.3 --doubled-vertices 0.3 --codes '" +
                                    DERO_SOURCE_DIR + "/samples/support/index.ini' > /dev/null";
        if (std::system(command.c_str()) != 0)
            return std::string();
        return dero::testing::ReadFile(out);
    }();
    return text;
}

// The host's own sample with something of every object kind, a hatch, a block that inserts
// itself and XData codes in an xrecord.
std::string SampleText() {
    static const std::string text = [] {
        TestDrawing d;
        dxftest::SampleIds ids = dxftest::BuildSample(d);
        auto* hatch = new AcDbHatch;
        AcGePoint2dArray ring;
        ring.append(AcGePoint2d(0, 0));
        ring.append(AcGePoint2d(4, 0));
        ring.append(AcGePoint2d(4, 3));
        AcGeDoubleArray bulges;
        hatch->setPattern(AcDbHatch::kPreDefined, "ANSI31");
        hatch->appendLoop(AcDbHatch::kExternal, ring, bulges);
        d.Add(hatch);

        AcDbObjectId loop = dxftest::AddRecord(d.db()->blockTableId(), new AcDbBlockTableRecord, "LOOP");
        AcDbBlockTableRecord* block = nullptr;
        acdbOpenObject(block, loop, AcDb::kForWrite);
        auto* inner = new AcDbBlockReference(AcGePoint3d(3, 0, 0), loop);
        block->appendAcDbEntity(inner);
        inner->close();
        block->close();
        d.Add(new AcDbBlockReference(AcGePoint3d(30, 0, 0), loop));

        AcDbXrecord* record = nullptr;
        acdbOpenObject(record, ids.xrecord, AcDb::kForWrite);
        resbuf* data = acutBuildList(1, "entry", 1000, "note", 1070, 7, 1040, 2.5, 0);
        record->setFromRbChain(*data);
        acutRelRb(data);
        record->close();
        return platform::cad::WriteDxf(*d.db());
    }();
    return text;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::string Join(const std::vector<std::string_view>& lines, std::size_t size) {
    std::string text;
    text.reserve(size + 64);
    for (std::string_view line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

// One mutation of the text, and what it did.
std::string Mutate(const std::string& text, std::mt19937_64& random, std::string& what) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    auto at = [](std::size_t n) { return static_cast<std::ptrdiff_t>(n); };
    std::vector<std::string_view> lines = Lines(text);
    switch (random() % 5) {
        case 0: {
            std::string out = text;
            int flips = 1 + static_cast<int>(random() % 3);
            what = "bytes";
            for (int i = 0; i < flips; ++i) {
                std::size_t where = pick(out.size());
                // Digits, signs and line ends do the most harm to a group file.
                static const char kHarmful[] = "0123456789-+.eE \n\r\x81\xFF{}";
                char c = random() % 2 == 0 ? kHarmful[pick(sizeof(kHarmful) - 1)]
                                           : static_cast<char>(random() % 256);
                what += " " + std::to_string(where) + "=" + std::to_string(static_cast<unsigned char>(c));
                out[where] = c;
            }
            return out;
        }
        case 1: {
            std::size_t line = pick(lines.size());
            what = "cut at line " + std::to_string(line + 1);
            lines.resize(line);
            break;
        }
        case 2: {
            std::size_t line = pick(lines.size());
            std::size_t count = std::min(lines.size() - line, 1 + pick(2));
            what = "dropped " + std::to_string(count) + " lines at line " + std::to_string(line + 1);
            lines.erase(lines.begin() + at(line), lines.begin() + at(line + count));
            break;
        }
        case 3: {
            std::size_t line = pick(lines.size());
            std::size_t count = std::min(lines.size() - line, 1 + pick(2));
            what = "doubled " + std::to_string(count) + " lines at line " + std::to_string(line + 1);
            std::vector<std::string_view> copy(lines.begin() + at(line), lines.begin() + at(line + count));
            lines.insert(lines.begin() + at(line), copy.begin(), copy.end());
            break;
        }
        default: {
            // Lines of the same parity swap a value for a value or a code for a code.
            std::size_t a = pick(lines.size());
            std::size_t b = random() % 2 == 0 ? std::min(lines.size() - 1, a + 2) : pick(lines.size());
            what = "swapped lines " + std::to_string(a + 1) + " and " + std::to_string(b + 1);
            std::swap(lines[a], lines[b]);
            break;
        }
    }
    return Join(lines, text.size());
}

class DxfFuzz : public ::testing::TestWithParam<int> {};

TEST_P(DxfFuzz, MutatedDrawingsAreRefusedOrSaveAndOpenAgain) {
    const int shard = GetParam();
    const std::string base = shard % 2 == 0 ? TownText() : SampleText();
    ASSERT_FALSE(base.empty()) << "makedrawing made no drawing";
    {
        AcDbDatabase db(false, true);
        std::string error;
        ASSERT_TRUE(platform::cad::ReadDxf(base, db, error)) << error;
    }
    int opened = 0;
    for (int n = 0; n < kMutationsPerShard; ++n) {
        const std::uint64_t seed = static_cast<std::uint64_t>(shard) * 1000003u + static_cast<std::uint64_t>(n);
        std::mt19937_64 random(seed);
        std::string what;
        const std::string text = Mutate(base, random, what);
        const std::string where = "shard " + std::to_string(shard) + ", mutation " + std::to_string(n) + " (seed " +
                                  std::to_string(seed) + "): " + what;
        AcDbDatabase db(false, true);
        std::string error;
        if (!platform::cad::ReadDxf(text, db, error)) {
            EXPECT_FALSE(error.empty()) << where;
            continue;
        }
        ++opened;
        platform::cad::DrawingExtents(&db);
        const std::string saved = platform::cad::WriteDxf(db);
        AcDbDatabase again(false, true);
        if (!platform::cad::ReadDxf(saved, again, error))
            ADD_FAILURE() << where << "\nthe saved drawing does not open: " << error;
    }
    // Many small changes leave a drawing that still opens: the check above must see enough.
    EXPECT_GT(opened, kMutationsPerShard / 10);
}

INSTANTIATE_TEST_SUITE_P(Shards, DxfFuzz, ::testing::Range(0, kShards));

}  // namespace
