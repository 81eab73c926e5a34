#include "dxf_header_variables.h"

#include "platform/text/gbk.h"

namespace platform::cad {
namespace {

int GroupCode(short type)
{
    switch (type) {
        case RTSHORT: return 70;
        case RTLONG: return 90;
        case RTREAL: return 40;
        case RTSTR: return 1;
        default: return 0;
    }
}

}  // namespace

std::vector<DxfHeaderVariable> DxfHeaderVariables()
{
    std::vector<DxfHeaderVariable> variables;
    for (VariableDefinition& d : DrawingVariableDefinitions()) {
        const int code = GroupCode(d.initial.type);
        if (code != 0)
            variables.push_back({"$" + text::GbkToUpper(d.name), code, std::move(d)});
    }
    return variables;
}

}  // namespace platform::cad
