// The generator as its users run it: the program on a temporary folder, its output checked with
// ezdxf and an independent count of the faults.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "makedrawing/options.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

const std::string kSource = DERO_SOURCE_DIR;
const std::string kCodes = kSource + "/samples/support/index.ini";
const std::string kEveryFault =
    " --open-houses 0.1 --overlapping-houses 0.1 --overlapping-parcels 0.1 --gaps 0.1 --slivers 0.1"
    " --missing-labels 0.1 --duplicate-labels 0.1 --numbering-gaps 0.1 --doubled-vertices 0.1"
    " --overlapping-patches 0.2 --island-patches 0.4";

using dero::testing::ReadFile;

// The report's line of counts per kind.
std::string Counts(const std::string& report)
{
    std::size_t begin = report.find("\"counts\"");
    return begin == std::string::npos ? std::string() : report.substr(begin, report.find('}', begin) - begin + 1);
}

class MakeDrawingRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    std::string Path(const std::string& name) const { return folder_ / name; }

    // Runs the generator; its exit status, with what it wrote on stderr kept in errors().
    int Generate(const std::string& arguments) const
    {
        std::string command = std::string(MAKEDRAWING_PATH) + " " + arguments + " 2>" + Path("stderr");
        return WEXITSTATUS(std::system(command.c_str()));
    }
    std::string errors() const { return ReadFile(Path("stderr")); }

    // count_faults.py: 0 when the audit is clean and its counts match the report.
    int CountFaults(const std::string& drawing, const std::string& report) const
    {
        std::string command = "/usr/bin/python3 " + kSource + "/tools/makedrawing/tests/count_faults.py " + drawing +
                              " " + report + " " + kCodes + " >" + Path("counts") + " 2>&1";
        return WEXITSTATUS(std::system(command.c_str()));
    }
    std::string counts() const { return ReadFile(Path("counts")); }

private:
    dero::testing::TempFolder folder_{std::string("makedrawing_") +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(MakeDrawingRun, SameSeedGivesTheSameBytes)
{
    std::string common = "--parcels 60 --codes " + kCodes + kEveryFault;
    ASSERT_EQ(Generate(common + " --seed 7 --out " + Path("a.dxf") + " --report " + Path("a.json")), 0) << errors();
    ASSERT_EQ(Generate(common + " --seed 7 --out " + Path("b.dxf") + " --report " + Path("b.json")), 0) << errors();
    ASSERT_EQ(Generate(common + " --seed 8 --out " + Path("c.dxf")), 0) << errors();
    std::string first = ReadFile(Path("a.dxf"));
    EXPECT_GT(first.size(), 100000u);
    EXPECT_TRUE(first == ReadFile(Path("b.dxf")));
    EXPECT_EQ(ReadFile(Path("a.json")), ReadFile(Path("b.json")));
    EXPECT_FALSE(first == ReadFile(Path("c.dxf")));
    EXPECT_FALSE(std::filesystem::exists(Path("c.json")));
}

TEST_F(MakeDrawingRun, EzdxfFindsTheReportedFaultsAndNoOthers)
{
    // From one parcel, where most faults have no place, to several blocks with every kind.
    for (int parcels : {1, 2, 9, 400}) {
        SCOPED_TRACE(parcels);
        std::string drawing = Path("town.dxf");
        std::string report = Path("town.json");
        ASSERT_EQ(Generate("--seed 11 --parcels " + std::to_string(parcels) + " --codes " + kCodes + kEveryFault +
                           " --out " + drawing + " --report " + report),
                  0)
            << errors();
        EXPECT_EQ(CountFaults(drawing, report), 0) << counts();
    }
    std::string report = Counts(ReadFile(Path("town.json")));
    ASSERT_FALSE(report.empty());
    for (const char* kind : {"open_house", "overlapping_house", "overlapping_parcel", "gap", "sliver", "missing_label",
                             "duplicate_label", "numbering_gap", "doubled_vertex",
                             "overlapping_patch", "island_patch"})
        EXPECT_EQ(report.find(std::string("\"") + kind + "\": 0"), std::string::npos) << kind;
    // Houses moved over a side of their parcel, beside the other house faults: found as reported.
    ASSERT_EQ(Generate("--seed 12 --parcels 120 --straight-sides --codes " + kCodes + kEveryFault +
                       " --houses-across-boundaries 0.3 --out " + Path("across.dxf") + " --report " +
                       Path("across.json")),
              0)
        << errors();
    EXPECT_EQ(ReadFile(Path("across.json")).find("\"house_across_boundary\": 0,"), std::string::npos);
    EXPECT_EQ(CountFaults(Path("across.dxf"), Path("across.json")), 0) << counts();
    // Without rates, nothing is reported and nothing is found.
    ASSERT_EQ(Generate("--parcels 50 --codes " + kCodes + " --out " + Path("clean.dxf") + " --report " +
                       Path("clean.json")),
              0);
    EXPECT_NE(ReadFile(Path("clean.json")).find("\"faults\": []"), std::string::npos);
    EXPECT_EQ(CountFaults(Path("clean.dxf"), Path("clean.json")), 0) << counts();
}

// The traps add polylines on the house layer that are no houses, which the audit must not count,
// and keep the drawing a function of the seed; without them the drawing is the one it was.
TEST_F(MakeDrawingRun, TrapsAreNoFaultsAndFollowTheSeed)
{
    const std::string common = "--seed 5 --parcels 40 --codes " + kCodes + " --open-houses 0.2";
    ASSERT_EQ(Generate(common + " --traps --out " + Path("a.dxf") + " --report " + Path("a.json")), 0) << errors();
    ASSERT_EQ(Generate(common + " --traps --out " + Path("b.dxf")), 0) << errors();
    ASSERT_EQ(Generate(common + " --out " + Path("plain.dxf") + " --report " + Path("plain.json")), 0) << errors();
    const std::string drawing = ReadFile(Path("a.dxf"));
    EXPECT_TRUE(drawing == ReadFile(Path("b.dxf")));
    EXPECT_FALSE(drawing == ReadFile(Path("plain.dxf")));
    EXPECT_EQ(CountFaults(Path("a.dxf"), Path("a.json")), 0) << counts();
    // The same open houses, one of them now drawn back to its first point.
    EXPECT_EQ(Counts(ReadFile(Path("a.json"))), Counts(ReadFile(Path("plain.json"))));
    // A code of class "TFW" first among the others, and a house code with a digit more.
    EXPECT_NE(drawing.find("\n141500\n"), std::string::npos);
    EXPECT_NE(drawing.find("\n1411009\n"), std::string::npos);

    makedrawing::Options options;
    std::string error;
    ASSERT_TRUE(makedrawing::ParseOptions({"--traps", "--out", "x.dxf"}, options, error)) << error;
    EXPECT_TRUE(options.traps);
}

// Lightweight parcels change only how those parcels are drawn: the same faults, still found.
TEST_F(MakeDrawingRun, LightweightParcelsKeepTheTownAndItsFaults)
{
    const std::string common = "--seed 9 --parcels 60 --codes " + kCodes + " --doubled-vertices 0.2 --gaps 0.1";
    ASSERT_EQ(Generate(common + " --lightweight-parcels 0.5 --out " + Path("a.dxf") + " --report " + Path("a.json")), 0)
        << errors();
    ASSERT_EQ(Generate(common + " --out " + Path("plain.dxf") + " --report " + Path("plain.json")), 0) << errors();
    EXPECT_EQ(Counts(ReadFile(Path("a.json"))), Counts(ReadFile(Path("plain.json"))));
    EXPECT_EQ(CountFaults(Path("a.dxf"), Path("a.json")), 0) << counts();
    const std::string drawing = ReadFile(Path("a.dxf"));
    std::size_t lightweight = 0;
    for (std::size_t at = drawing.find("\nLWPOLYLINE\n"); at != std::string::npos;
         at = drawing.find("\nLWPOLYLINE\n", at + 1))
        lightweight += drawing.compare(drawing.find("\n  8\n", at) + 5, 4, "JZD\n") == 0;
    EXPECT_GT(lightweight, 10u);
    EXPECT_LT(lightweight, 50u);

    makedrawing::Options options;
    std::string error;
    EXPECT_FALSE(makedrawing::ParseOptions({"--out", "x.dxf", "--lightweight-parcels", "1.2"}, options, error));
    EXPECT_NE(error.find("--lightweight-parcels wants a rate"), std::string::npos) << error;
}

TEST_F(MakeDrawingRun, CommittedTownIsWhatItsCommandMakes)
{
    std::string command = "MAKEDRAWING=" + std::string(MAKEDRAWING_PATH) + " " + kSource + "/samples/make_town " +
                          Path("") + " 2>" + Path("stderr");
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << errors();
    EXPECT_TRUE(ReadFile(Path("town.dxf")) == ReadFile(kSource + "/samples/town.dxf"));
    EXPECT_EQ(ReadFile(Path("town_faults.json")), ReadFile(kSource + "/samples/town_faults.json"));
    std::string perKind = Counts(ReadFile(Path("town_faults.json")));
    ASSERT_FALSE(perKind.empty());
    EXPECT_EQ(perKind.find(": 0"), std::string::npos) << "every kind of fault is in the sample";
    EXPECT_EQ(CountFaults(kSource + "/samples/town.dxf", kSource + "/samples/town_faults.json"), 0) << counts();
}

TEST_F(MakeDrawingRun, BadInputGetsAMessageAndNoFile)
{
    using makedrawing::Options;
    using makedrawing::ParseOptions;
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--out", "x.dxf", "--parcels", "0"},
        {"--out", "x.dxf", "--parcels", "100001"},
        {"--out", "x.dxf", "--parcels", "12x"},
        {"--out", "x.dxf", "--seed", "-3"},
        {"--out", "x.dxf", "--gaps", "1.5"},
        {"--out", "x.dxf", "--slivers", "nan"},
        {"--out", "x.dxf", "--slivers"},
        {"--out", "x.dxf", "--colour", "red"},
        {"x.dxf"},
    };
    for (const auto& args : refused) {
        Options options;
        std::string error;
        EXPECT_FALSE(ParseOptions(args, options, error)) << (args.empty() ? "" : args.back());
        EXPECT_FALSE(error.empty());
    }
    Options options;
    std::string error;
    ASSERT_TRUE(ParseOptions({"--out", "x.dxf", "--parcels", "100000", "--seed", "18446744073709551615",
                              "--missing-labels", "1", "--gaps", "0.25"},
                             options, error))
        << error;
    EXPECT_EQ(options.parcels, 100000);
    EXPECT_EQ(options.seed, 18446744073709551615ull);
    EXPECT_EQ(options.rates.missingLabels, 1.0);
    EXPECT_EQ(options.rates.gaps, 0.25);

    EXPECT_EQ(Generate("--out " + Path("x.dxf") + " --gaps 2"), 2);
    EXPECT_NE(errors().find("--gaps wants a rate from 0 to 1"), std::string::npos) << errors();
    EXPECT_EQ(Generate("--out " + Path("x.dxf") + " --codes " + Path("missing.ini")), 1);
    EXPECT_NE(errors().find("cannot read the code table"), std::string::npos) << errors();
    std::ofstream(Path("nohouses.ini"), std::ios::trunc) << "300000,a,0,JZD,3000,ZD\r\nEND\r\n141100,b,1,JMD,1411,FW\r\n";
    EXPECT_EQ(Generate("--out " + Path("x.dxf") + " --codes " + Path("nohouses.ini")), 1);
    EXPECT_NE(errors().find("holds no house code"), std::string::npos) << errors();
    EXPECT_EQ(Generate("--out " + Path("no/such/folder/x.dxf") + " --codes " + kCodes), 1);
    EXPECT_NE(errors().find("cannot create"), std::string::npos) << errors();
    EXPECT_FALSE(std::filesystem::exists(Path("x.dxf")));
}

}  // namespace

namespace {

// Parcel groups hold each parcel with the boundary points at its vertices and their labels, found
// again by ezdxf; without the option the drawing has no group.
TEST_F(MakeDrawingRun, ParcelGroupsHoldTheirBoundaryPointsAndLabels)
{
    const std::string common = "--seed 4 --parcels 30 --codes " + kCodes + " --missing-labels 0.3";
    ASSERT_EQ(Generate(common + " --parcel-groups --out " + Path("grouped.dxf")), 0) << errors();
    ASSERT_EQ(Generate(common + " --out " + Path("plain.dxf")), 0) << errors();
    const std::string command = "/usr/bin/python3 " + kSource + "/tools/makedrawing/tests/check_parcel_groups.py ";
    EXPECT_EQ(WEXITSTATUS(std::system((command + Path("grouped.dxf") + " >" + Path("out") + " 2>&1").c_str())), 0)
        << ReadFile(Path("out"));
    EXPECT_NE(WEXITSTATUS(std::system((command + Path("plain.dxf") + " >" + Path("out") + " 2>&1").c_str())), 0)
        << "no groups without the option";
    EXPECT_NE(ReadFile(Path("out")).find("in 0 groups"), std::string::npos) << ReadFile(Path("out"));

    makedrawing::Options options;
    std::string error;
    ASSERT_TRUE(makedrawing::ParseOptions({"--parcel-groups", "--out", "x.dxf"}, options, error)) << error;
    EXPECT_TRUE(options.parcelGroups);
}

}  // namespace
