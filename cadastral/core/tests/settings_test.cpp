// Settings: defaults, the registry encoding, the readers and the minimum-gap
// dialog.
#include "cadastral/settings.h"
#include "cadastral/min_gap_dialog.h"
#include "cadastral/toolkit_text.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/fault_injection.h"
#include "toolkit_fixture.h"

namespace {

using cadastral::HostSettings;
using cadastral::ReadHostSettings;
using cadastral::Settings;

class SettingsTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        Settings() = HostSettings{};
    }
};

TEST_F(SettingsTest, WithoutTheKeyFourSettingsTakeTheirMissingKeyValues) {
    Settings().dj_coorddot = 7;  // whatever an earlier load left
    ReadHostSettings();
    const HostSettings& s = Settings();
    EXPECT_EQ(s.Rdo54, 1);
    EXPECT_DOUBLE_EQ(s.czdist, 1.0);
    EXPECT_EQ(s.usecz, 1);
    EXPECT_EQ(s.tuoqiu, 0);
    EXPECT_EQ(s.userpath, "..\\demo\\");
    EXPECT_EQ(s.mapdbf, "mapinfo.mdb");
    EXPECT_DOUBLE_EQ(s.min_dist, 0.1);
    EXPECT_EQ(s.dj_coorddot, 3);
    EXPECT_EQ(s.dj_distdot, 2);
    EXPECT_EQ(s.dj_quanshu, 31);
    EXPECT_DOUBLE_EQ(s.textfactor, 0.8);
    EXPECT_EQ(s.dj_userdjtk, "gddjtk4");
    EXPECT_DOUBLE_EQ(s.dj_userdhy, 153.5);
    EXPECT_FALSE(s.dj_jzdtxtintime);
}

TEST_F(SettingsTest, AKeyWithoutValuesKeepsNumbersAndEmptiesTexts) {
    SetDword("unrelated", 1);  // the key exists, none of the record's values do
    ReadHostSettings();
    const HostSettings& s = Settings();
    EXPECT_EQ(s.Rdo54, 0);
    EXPECT_DOUBLE_EQ(s.czdist, 0.0);
    EXPECT_EQ(s.usecz, 0);
    EXPECT_EQ(s.userpath, "") << "the string reader empties its target first";
    EXPECT_EQ(s.mapdbf, "");
    EXPECT_EQ(s.dj_userdjtk, "");
    EXPECT_EQ(s.dj_coorddot, 3);
    EXPECT_EQ(s.dj_distdot, 2);
    EXPECT_EQ(s.dj_quanshu, 31);
    EXPECT_DOUBLE_EQ(s.textfactor, 0.8);
    EXPECT_DOUBLE_EQ(s.min_dist, 0.1);
}

TEST_F(SettingsTest, ValuesAreReadWithTheirEncodings) {
    SetDword("Rdo54", 5);
    SetDword("czdist", 250);
    SetDword("dj_coorddot", 4);
    SetDword("dj_quanshu", 40);
    SetDword("dj_jzdtxtintime", 7);
    SetDword("textfactor", 75);
    SetDword("dj_userdhx", -1950);
    SetDword("min_dist", 5);
    SetString("userpath", " D:\\地籍\\成果\\\n");
    SetString("dj_prefix", "\tJ\t");
    ReadHostSettings();
    const HostSettings& s = Settings();
    EXPECT_EQ(s.Rdo54, 5);
    EXPECT_DOUBLE_EQ(s.czdist, 2.5);
    EXPECT_EQ(s.dj_coorddot, 4);
    EXPECT_EQ(s.dj_quanshu, 8) << "40 is kept as its remainder by 32";
    EXPECT_TRUE(s.dj_jzdtxtintime);
    EXPECT_DOUBLE_EQ(s.textfactor, 0.75);
    EXPECT_DOUBLE_EQ(s.dj_userdhx, -19.5);
    EXPECT_DOUBLE_EQ(s.min_dist, 0.05);
    EXPECT_EQ(s.userpath, "D:\\地籍\\成果\\") << "a leading blank and a trailing line feed go";
    EXPECT_EQ(s.dj_prefix, "J\t") << "the leading tab goes, the trailing one stays";

    SetDword("dj_quanshu", -33);
    ReadHostSettings();
    EXPECT_EQ(Settings().dj_quanshu, -1);
    SetDword("dj_quanshu", 33);
    ReadHostSettings();
    EXPECT_EQ(Settings().dj_quanshu, 1);
}

// The toolkit's texts: no layer of their own, no new text style, "C" centred on the baseline, and
// the width factor textfactor where the caller gives none (0.8 for a setting that cannot be one).
TEST_F(SettingsTest, TextFactorIsTheWidthOfTheToolkitsTexts) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    auto styles = [&] {
        AcDbTextStyleTable* table = nullptr;
        if (db->getTextStyleTable(table, AcDb::kForRead) != Acad::eOk) return -1;
        const int n = table->recordIds().length();
        table->close();
        return n;
    };
    const int before = styles();
    SetDword("textfactor", 50);
    ReadHostSettings();
    struct Made {
        double width;
        AcDb::TextHorzMode horizontal;
        AcDb::TextVertMode vertical;
        std::string layer;
    };
    auto make = [](const char* justification, double width) {
        const AcDbObjectId id = cadastral::CreateText(AcGePoint3d(3, 4, 0), "20.00", justification, "302010", 1.0,
                                                      0.0, width);
        drawingutil::Opened<AcDbText> text(id, AcDb::kForRead);
        if (!text) return Made{-1, AcDb::kTextLeft, AcDb::kTextBase, ""};
        EXPECT_TRUE(text->alignmentPoint() == AcGePoint3d(3, 4, 0));
        return Made{text->widthFactor(), text->horizontalMode(), text->verticalMode(), text->layerName()};
    };
    Made c = make("c", 0);
    EXPECT_EQ(c.width, 0.5);
    EXPECT_EQ(c.horizontal, AcDb::kTextCenter);
    EXPECT_EQ(c.vertical, AcDb::kTextBase);
    EXPECT_EQ(c.layer, "0");
    Made m = make("M", 1.2);
    EXPECT_EQ(m.width, 1.2);
    EXPECT_EQ(m.horizontal, AcDb::kTextMid);
    EXPECT_EQ(styles(), before);
    Settings().textfactor = 0;
    EXPECT_EQ(make("m", -1).width, 0.8);
}

TEST_F(SettingsTest, TextsKeepWithinTheirCapacityAndTooLongValuesAreDropped) {
    // 24 double-byte characters do not fit the 20 bytes of dj_prefix: cut at a character.
    std::string wide;
    for (int i = 0; i < 24; ++i)
        wide += "界";
    SetString("dj_prefix", wide);
    SetString("dj_userdjtk", std::string(60, 'k'));
    SetString("mapdbf", std::string(300, 'm'));  // longer than the reader's buffer
    ReadHostSettings();
    EXPECT_EQ(Settings().dj_prefix.size(), 18u);
    EXPECT_EQ(Settings().dj_prefix, wide.substr(0, 18));
    EXPECT_EQ(Settings().dj_userdjtk, std::string(55, 'k'));
    EXPECT_EQ(Settings().mapdbf, "");
}

TEST_F(SettingsTest, RealsAreStoredAsHundredthsOfTheirDecimalValue) {
    EXPECT_EQ(cadastral::RealToHundredths(0.29), 29)
        << "not 28, as a bare truncation of 28.999999999999996 gives";
    EXPECT_EQ(cadastral::RealToHundredths(0.057), 5);
    EXPECT_EQ(cadastral::RealToHundredths(-0.057), -5);
    EXPECT_EQ(cadastral::RealToHundredths(0.1), 10);
    EXPECT_EQ(cadastral::RealToHundredths(1.0), 100);
    EXPECT_EQ(cadastral::RealToHundredths(0.0), 0);
    EXPECT_EQ(cadastral::RealToHundredths(0.999), 99);
    EXPECT_EQ(cadastral::RealToHundredths(1.15), 115);
    EXPECT_EQ(cadastral::RealToHundredths(4.35), 435);
    EXPECT_EQ(cadastral::RealToHundredths(-0.29), -29);
    EXPECT_EQ(cadastral::RealToHundredths(1e12), 2147483647);

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, cadastral::kSettingsKey, 0, nullptr, 0, KEY_WRITE | KEY_READ,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(cadastral::WriteRegistryReal(key, "min_dist", 0.29), ERROR_SUCCESS);
    RegCloseKey(key);
    std::int32_t stored = 0;
    ASSERT_TRUE(GetDword("min_dist", stored));
    EXPECT_EQ(stored, 29);
    ReadHostSettings();
    EXPECT_DOUBLE_EQ(Settings().min_dist, 0.29);
}

TEST_F(SettingsTest, ReadersLeaveTheirTargetsWhenAValueCannotBeRead) {
    SetString("longtext", "abcdefgh");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, cadastral::kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    int number = 42;
    cadastral::ReadRegistryDword(key, "missing", number);
    EXPECT_EQ(number, 42);
    cadastral::ReadRegistryDword(key, "longtext", number);  // 9 bytes do not fit 4
    EXPECT_EQ(number, 42);
    double real = 2.5;
    EXPECT_FALSE(cadastral::ReadRegistryReal(key, "missing", real));
    EXPECT_DOUBLE_EQ(real, 2.5);
    std::string text = "old";
    cadastral::ReadRegistryString(key, "missing", text, 32);
    EXPECT_EQ(text, "");
    RegCloseKey(key);
}

class MinGapDialogTest : public SettingsTest {};

TEST_F(MinGapDialogTest, TheBoundsAreAcceptedRestoreShowsTheDefaultAndCancelKeepsAll) {
    for (const char* bound : {"1.0", "0"}) {
        answers->Push(platform::ui::DialogAnswer(cadastral::IDD_MIN_GAP, [bound](platform::ui::UiDriver& d) {
            d.SetText(cadastral::IDC_MIN_GAP_VALUE, bound);
            d.Click(IDOK);
        }));
        cadastral::SetMinDistCommand();
        std::int32_t stored = -1;
        ASSERT_TRUE(GetDword("min_dist", stored)) << bound;
        EXPECT_EQ(stored, std::string(bound) == "0" ? 0 : 100);
    }

    Settings().min_dist = 0.4;
    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_MIN_GAP, [](platform::ui::UiDriver& d) {
        d.SetText(cadastral::IDC_MIN_GAP_VALUE, "0.7");
        d.Click(cadastral::IDC_MIN_GAP_RESTORE);
        EXPECT_EQ(d.Text(cadastral::IDC_MIN_GAP_VALUE), "0.1");
        d.Click(IDCANCEL);
    }));
    cadastral::SetMinDistCommand();
    EXPECT_DOUBLE_EQ(Settings().min_dist, 0.4) << "restore stores nothing; cancel changes nothing";
    std::int32_t stored = -1;
    ASSERT_TRUE(GetDword("min_dist", stored));
    EXPECT_EQ(stored, 0);

    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_MIN_GAP, [](platform::ui::UiDriver& d) {
        d.Click(cadastral::IDC_MIN_GAP_RESTORE);
        d.PressKeyIn(cadastral::IDC_MIN_GAP_VALUE, VK_RETURN);
    }));
    cadastral::SetMinDistCommand();
    EXPECT_DOUBLE_EQ(Settings().min_dist, 0.1);
    ASSERT_TRUE(GetDword("min_dist", stored));
    EXPECT_EQ(stored, 10);
}

// A registry that refuses the write (or the key): the value holds for the session, the stored one
// stays, and the user is told that it was not saved.
TEST_F(MinGapDialogTest, ARefusedWriteIsToldAndKeepsTheStoredValue) {
    SetDword("min_dist", 20);
    Settings().min_dist = 0.2;
    for (auto kind : {platform::win::FaultKind::RegistryWrite, platform::win::FaultKind::RegistryCreate}) {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(kind, u"HKEY_CURRENT_USER\\Software\\Quorvane\\Dero");
        platform::ui::ClearTranscript();
        answers->Push(platform::ui::DialogAnswer(cadastral::IDD_MIN_GAP, [](platform::ui::UiDriver& d) {
            d.SetText(cadastral::IDC_MIN_GAP_VALUE, "0.3");
            d.Click(IDOK);
        }));
        answers->Push(platform::ui::BoxAnswer(IDOK));
        cadastral::SetMinDistCommand();
        EXPECT_EQ(answers->Pending(), 0u) << Transcript();
        EXPECT_TRUE(Logged(cadastral::kMinGapNotSavedText)) << Transcript();
        EXPECT_DOUBLE_EQ(Settings().min_dist, 0.3);
        std::int32_t stored = -1;
        ASSERT_TRUE(GetDword("min_dist", stored));
        EXPECT_EQ(stored, 20);
        Settings().min_dist = 0.2;
    }

    // A write that succeeds says nothing.
    platform::ui::ClearTranscript();
    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_MIN_GAP, [](platform::ui::UiDriver& d) {
        d.SetText(cadastral::IDC_MIN_GAP_VALUE, "0.3");
        d.Click(IDOK);
    }));
    cadastral::SetMinDistCommand();
    EXPECT_FALSE(Logged(cadastral::kMinGapNotSavedText)) << Transcript();
    std::int32_t stored = -1;
    ASSERT_TRUE(GetDword("min_dist", stored));
    EXPECT_EQ(stored, 30);
}

}  // namespace
