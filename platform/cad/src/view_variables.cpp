// The view's system variables, computed from the current view of the working drawing. All are
// read-only, as on a host: the view changes through ZOOM and acedSetCurrentView.
#include "platform/cad/system_variables.h"
#include "platform/cad/view_state.h"

namespace platform::cad {
namespace {

VariableValue Point(short type, const AcGePoint3d& p)
{
    VariableValue v;
    v.type = type;
    v.point[0] = p.x;
    v.point[1] = p.y;
    v.point[2] = type == RTPOINT ? 0 : p.z;
    return v;
}

VariableValue Real(double r)
{
    VariableValue v;
    v.type = RTREAL;
    v.real = r;
    return v;
}

// The initial value only fixes the type: reading the view at load would make a drawing.
void Computed(const char* name, short type, std::function<VariableValue()> get)
{
    VariableDefinition d;
    d.name = name;
    d.initial.type = type;
    d.scope = VariableScope::Drawing;
    d.readOnly = true;
    d.get = std::move(get);
    RegisterSystemVariable(std::move(d));
}

// Drawing extents; a drawing without geometry reports the host's inverted empty box.
AcGePoint3d ExtentsCorner(bool upper)
{
    AcDbExtents e = DrawingExtents();
    if (e.isEmpty())
        return upper ? AcGePoint3d(-1e20, -1e20, -1e20) : AcGePoint3d(1e20, 1e20, 1e20);
    return upper ? e.maxPoint() : e.minPoint();
}

[[maybe_unused]] const bool registered = [] {
    Computed("VIEWCTR", RT3DPOINT, [] { return Point(RT3DPOINT, ViewOf().center); });
    Computed("VIEWSIZE", RTREAL, [] { return Real(ViewOf().height); });
    Computed("SCREENSIZE", RTPOINT, [] {
        auto& v = ViewOf();
        return Point(RTPOINT, AcGePoint3d(v.screenWidth, v.screenHeight, 0));
    });
    Computed("VIEWDIR", RT3DPOINT, [] {
        auto& d = ViewOf().direction;
        return Point(RT3DPOINT, AcGePoint3d(d.x, d.y, d.z));
    });
    Computed("TARGET", RT3DPOINT, [] { return Point(RT3DPOINT, ViewOf().target); });
    Computed("VIEWTWIST", RTREAL, [] { return Real(ViewOf().twist); });
    Computed("LENSLENGTH", RTREAL, [] { return Real(ViewOf().lensLength); });
    Computed("FRONTZ", RTREAL, [] { return Real(ViewOf().frontZ); });
    Computed("BACKZ", RTREAL, [] { return Real(ViewOf().backZ); });
    Computed("VIEWMODE", RTSHORT, [] {
        VariableValue v;
        v.type = RTSHORT;
        v.integer = ViewOf().viewMode;
        return v;
    });
    Computed("EXTMIN", RT3DPOINT, [] { return Point(RT3DPOINT, ExtentsCorner(false)); });
    Computed("EXTMAX", RT3DPOINT, [] { return Point(RT3DPOINT, ExtentsCorner(true)); });
    return true;
}();

}  // namespace
}  // namespace platform::cad
