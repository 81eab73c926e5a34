#include <gtest/gtest.h>

#include <string>

#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/system_variables.h"

#include "drawingutil/drawing_scale.h"
#include "drawingutil/host_settings.h"
#include "host_fixture.h"

namespace {

double RealVar(const char* name)
{
    resbuf value{};
    EXPECT_EQ(acedGetVar(name, &value), RTNORM);
    return value.resval.rreal;
}

void SetRealVar(const char* name, double real)
{
    resbuf value{};
    value.restype = RTREAL;
    value.resval.rreal = real;
    ASSERT_EQ(acedSetVar(name, &value), RTNORM);
}

int ShortVar(const char* name)
{
    resbuf value{};
    EXPECT_EQ(acedGetVar(name, &value), RTNORM);
    return value.resval.rint;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
        ++count;
    return count;
}

class HostSettingsTest : public HostTest {
protected:
    // The scale goes through the host's own LTSCALE command, as on a real host.
    HostSettingsTest() { SetRealVar("LTSCALE", 1.0); }
    double Scale()
    {
        double scale = -1;
        GetDrawingScale(scale);
        return scale;
    }
};

TEST_F(HostSettingsTest, DrawingScalePromptLoop)
{
    const std::string prompt = "\n绘图比例尺 1:<500> ";

    SetRealVar("userr1", 1000);
    EXPECT_EQ(Scale(), 1000);
    EXPECT_EQ(Count(CommandLine(), prompt), 0u);
    EXPECT_EQ(RealVar("LTSCALE"), 1.0);

    SetRealVar("userr1", 0);
    Answer("");
    EXPECT_EQ(Scale(), 500);
    EXPECT_EQ(RealVar("USERR1"), 500);
    EXPECT_DOUBLE_EQ(RealVar("LTSCALE"), 0.5);
    EXPECT_EQ(Count(CommandLine(), prompt), 1u);
    EXPECT_EQ(Count(CommandLine(), "\n输入新线型比例因子 <1.0000>: "), 1u) << CommandLine();
    EXPECT_EQ(Count(CommandLine(), "\n正在重生成模型。"), 1u) << CommandLine();

    platform::cad::ClearCommandLine();
    SetRealVar("userr1", 2.9);
    Answer("2");
    Answer("-7");
    Answer("250");
    EXPECT_EQ(Scale(), 250);
    EXPECT_EQ(Count(CommandLine(), prompt), 3u);
    EXPECT_EQ(RealVar("userr1"), 250);
    EXPECT_DOUBLE_EQ(RealVar("LTSCALE"), 0.25);
    // Both are the drawing's own, saved with it.
    const AcDbDatabase* drawing = acdbHostApplicationServices()->workingDatabase();
    EXPECT_EQ(drawing->userr1(), 250);
    EXPECT_DOUBLE_EQ(drawing->ltscale(), 0.25);

    SetRealVar("userr1", 0);
    Cancel();
    EXPECT_EQ(Scale(), 500);
    // Nobody answers at all: the prompt is cancelled and the default holds.
    SetRealVar("userr1", 0);
    EXPECT_EQ(Scale(), 500);
}

TEST_F(HostSettingsTest, OsnapAndPickStyleSaveAndRestore)
{
    // Count the writes the host sees, keeping the variables' own behaviour.
    int writes = 0;
    for (const char* name : {"OSMODE", "PICKSTYLE"}) {
        auto stored = std::make_shared<short>(static_cast<short>(ShortVar(name)));
        platform::cad::VariableDefinition d;
        d.name = name;
        d.initial.type = RTSHORT;
        d.get = [stored] {
            platform::cad::VariableValue v;
            v.type = RTSHORT;
            v.integer = *stored;
            return v;
        };
        d.set = [stored, &writes](const platform::cad::VariableValue& v) {
            ++writes;
            *stored = static_cast<short>(v.integer);
            return true;
        };
        platform::cad::RegisterSystemVariable(d);
    }

    int saved = SetOsnapMode(0);
    EXPECT_EQ(ShortVar("osmode"), 0);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(SetOsnapMode(0), 0);
    EXPECT_EQ(writes, 1);
    RestoreOsnapMode(saved);
    EXPECT_EQ(ShortVar("osmode"), saved);
    RestoreOsnapMode(saved);
    EXPECT_EQ(writes, 2);

    int style = DisablePickStyle();
    EXPECT_EQ(ShortVar("pickstyle"), 0);
    EXPECT_EQ(DisablePickStyle(), 0);
    EXPECT_EQ(writes, 3);
    RestorePickStyle(0);
    EXPECT_EQ(writes, 3);
    RestorePickStyle(style);
    EXPECT_EQ(ShortVar("pickstyle"), style);
    EXPECT_EQ(writes, 4);

    // Put the host's plain variables back for the tests that follow.
    for (auto [name, value] : {std::pair{"OSMODE", 4133}, std::pair{"PICKSTYLE", 1}}) {
        platform::cad::VariableDefinition d;
        d.name = name;
        d.initial.type = RTSHORT;
        d.initial.integer = value;
        platform::cad::RegisterSystemVariable(d);
    }
}

}  // namespace
