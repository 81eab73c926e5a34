// Bulge arcs checked against an outside implementation: ezdxf's bulge_to_arc.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cad/curve_path.h"

namespace {

struct Case {
    double x0, y0, x1, y1, bulge;
};

std::string RunPython(const std::string& script)
{
    std::string command = "/usr/bin/python3 -c '" + script + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {};
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr)
        out += buffer;
    pclose(pipe);
    return out;
}

TEST(CadBulgeReference, CentresAndRadiiMatchEzdxf)
{
    const std::vector<Case> cases = {
        {0, 0, 2, 0, 1},
        {0, 0, 2, 0, -1},
        {0, 0, 10, 5, 0.25},
        {3400000.5, 500000.25, 3400010, 500000, -0.3},
        {3400123.456, 500987.654, 3400100.001, 501000.002, 2.5},
        {-5, 7, 3, -1, 0.001},
    };
    std::ostringstream script;
    script.precision(17);
    script << "from ezdxf.math import bulge_to_arc\n";
    for (const Case& c : cases)
        script << "c,s,e,r = bulge_to_arc((" << c.x0 << "," << c.y0 << "),(" << c.x1 << "," << c.y1 << ")," << c.bulge
               << "); print(repr(c.x), repr(c.y), repr(r))\n";
    std::istringstream out(RunPython(script.str()));
    for (const Case& c : cases) {
        double cx = 0, cy = 0, r = 0;
        if (!(out >> cx >> cy >> r))
            GTEST_SKIP() << "ezdxf is not available (scripts/packages/cad.txt)";
        platform::cad::CurvePath path;
        path.AddBulge(AcGePoint3d(c.x0, c.y0, 0), AcGePoint3d(c.x1, c.y1, 0), c.bulge, 0, 1);
        ASSERT_TRUE(path.segments[0].arc);
        double tol = 1e-9 * std::max(1.0, std::abs(c.x0));
        EXPECT_NEAR(path.segments[0].center.x, cx, tol);
        EXPECT_NEAR(path.segments[0].center.y, cy, tol);
        EXPECT_NEAR(path.segments[0].radius, r, tol);
    }
}

}  // namespace
