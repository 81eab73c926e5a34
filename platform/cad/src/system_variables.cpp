#include "platform/cad/system_variables.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/cad/db_database.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

namespace platform::cad {
namespace {

VariableValue Short(int v)
{
    VariableValue value;
    value.type = RTSHORT;
    value.integer = v;
    return value;
}

VariableValue Real(double v)
{
    VariableValue value;
    value.type = RTREAL;
    value.real = v;
    return value;
}

VariableValue Text(std::string v)
{
    VariableValue value;
    value.type = RTSTR;
    value.text = std::move(v);
    return value;
}

std::function<bool(const VariableValue&)> Range(long long low, long long high)
{
    return [=](const VariableValue& v) { return v.integer >= low && v.integer <= high; };
}

struct Registry {
    std::map<std::string, VariableDefinition> definitions;  // upper-cased name
    std::map<std::string, VariableValue> session;  // a drawing keeps its own in AcDbDatabase::variables()

    Registry()
    {
        auto add = [&](std::string name, VariableValue initial, VariableScope scope,
                       std::function<bool(const VariableValue&)> accepts = nullptr) {
            VariableDefinition d;
            d.name = std::move(name);
            d.initial = std::move(initial);
            d.scope = scope;
            d.accepts = std::move(accepts);
            definitions[text::GbkToUpper(d.name)] = std::move(d);
        };
        for (int i = 1; i <= 5; ++i) {
            add(text::Format("USERI%d", i), Short(0), VariableScope::Drawing);
            add(text::Format("USERR%d", i), Real(0), VariableScope::Drawing);
            add(text::Format("USERS%d", i), Text(""), VariableScope::Session);
        }
        add("LTSCALE", Real(1.0), VariableScope::Drawing, [](const VariableValue& v) { return v.real > 0; });
        add("CMDECHO", Short(1), VariableScope::Session, Range(0, 1));
        add("OSMODE", Short(4133), VariableScope::Session, Range(0, 32767));
        add("PICKSTYLE", Short(1), VariableScope::Session, Range(0, 3));
    }
};

Registry& Variables()
{
    static Registry registry;
    return registry;
}

// Keys are upper case: a name found as given needs no case mapping (the selections of a long
// export read the view's variables hundreds of thousands of times).
const VariableDefinition* Find(const std::string& name)
{
    auto& definitions = Variables().definitions;
    auto it = definitions.find(name);
    if (it == definitions.end())
        it = definitions.find(text::GbkToUpper(name));
    return it == definitions.end() ? nullptr : &it->second;
}

// The values a variable of the definition's scope is kept among.
std::map<std::string, VariableValue>& Values(const VariableDefinition& d, AcDbDatabase* database)
{
    return d.scope == VariableScope::Drawing ? database->variables() : Variables().session;
}

const VariableValue& Stored(const VariableDefinition& d, const std::map<std::string, VariableValue>& values)
{
    auto it = values.find(d.name);
    if (it == values.end())
        it = values.find(text::GbkToUpper(d.name));
    // A value of another type was kept under a variable registered again since.
    return it != values.end() && it->second.type == d.initial.type ? it->second : d.initial;
}

void Store(const VariableDefinition& d, std::map<std::string, VariableValue>& values, const VariableValue& value)
{
    values[text::GbkToUpper(d.name)] = value;
}

// A stored drawing variable, which the drawing saves in its header.
bool IsSavedInDrawing(const VariableDefinition* d)
{
    return d != nullptr && d->scope == VariableScope::Drawing && !d->get;
}

// Converts a result buffer to the variable's type; false when it cannot.
bool FromResbuf(const resbuf* rb, short type, VariableValue& out)
{
    out.type = type;
    switch (type) {
        case RTSHORT:
        case RTLONG:
            if (rb->restype == RTSHORT)
                out.integer = rb->resval.rint;
            else if (rb->restype == RTLONG)
                out.integer = rb->resval.rlong;
            else
                return false;
            return type == RTLONG || (out.integer >= -32768 && out.integer <= 32767);
        case RTREAL:
            if (rb->restype == RTREAL || rb->restype == RTANG)
                out.real = rb->resval.rreal;
            else if (rb->restype == RTSHORT)
                out.real = rb->resval.rint;
            else if (rb->restype == RTLONG)
                out.real = static_cast<double>(rb->resval.rlong);
            else
                return false;
            return true;
        case RTSTR:
            if (rb->restype != RTSTR)
                return false;
            out.text = rb->resval.rstring ? rb->resval.rstring : "";
            return true;
        case RTPOINT:
        case RT3DPOINT:
            if (rb->restype != RTPOINT && rb->restype != RT3DPOINT)
                return false;
            for (int i = 0; i < 3; ++i)
                out.point[i] = rb->resval.rpoint[i];
            if (type == RTPOINT)
                out.point[2] = 0;
            return true;
        default: return false;
    }
}

void ToResbuf(const VariableValue& v, resbuf* rb)
{
    rb->restype = v.type;
    switch (v.type) {
        case RTSHORT: rb->resval.rint = static_cast<short>(v.integer); break;
        case RTLONG: rb->resval.rlong = v.integer; break;
        case RTREAL: rb->resval.rreal = v.real; break;
        case RTSTR: rb->resval.rstring = acutNewString(v.text.c_str()); break;
        default:
            for (int i = 0; i < 3; ++i)
                rb->resval.rpoint[i] = v.point[i];
    }
}

std::string Trim(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

}  // namespace

void RegisterSystemVariable(VariableDefinition definition)
{
    std::string key = text::GbkToUpper(definition.name);
    Variables().session.erase(key);
    Variables().definitions[key] = std::move(definition);
}

bool HasSystemVariable(const std::string& name) { return Find(name) != nullptr; }

std::vector<std::string> SystemVariableNames()
{
    std::vector<std::string> names;
    for (auto& [key, d] : Variables().definitions)
        names.push_back(d.name);
    return names;
}

bool GetDrawingVariable(const AcDbDatabase* database, const std::string& name, VariableValue& value)
{
    const VariableDefinition* d = Find(name);
    if (!IsSavedInDrawing(d))
        return false;
    value = Stored(*d, database->variables());
    return true;
}

bool SetDrawingVariable(AcDbDatabase* database, const std::string& name, const VariableValue& value)
{
    const VariableDefinition* d = Find(name);
    if (!IsSavedInDrawing(d) || value.type != d->initial.type || (d->accepts && !d->accepts(value)))
        return false;
    Store(*d, database->variables(), value);
    return true;
}

std::vector<VariableDefinition> DrawingVariableDefinitions()
{
    std::vector<VariableDefinition> saved;
    for (auto& [key, d] : Variables().definitions)
        if (IsSavedInDrawing(&d))
            saved.push_back(d);
    return saved;
}

bool ParseReal(const std::string& text, double& value)
{
    std::string t = Trim(text);
    if (t.empty())
        return false;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end == nullptr || *end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool ParseInt(const std::string& text, int& value)
{
    std::string t = Trim(text);
    if (t.empty())
        return false;
    char* end = nullptr;
    long long v = std::strtoll(t.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || v < -32768 || v > 32767)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace platform::cad

using namespace platform::cad;

int acedGetVar(const char* sym, resbuf* result)
{
    if (sym == nullptr || result == nullptr)
        return RTERROR;
    const VariableDefinition* d = Find(sym);
    if (d == nullptr)
        return RTERROR;
    if (d->get)
        ToResbuf(d->get(), result);
    else
        ToResbuf(Stored(*d, Values(*d, acdbHostApplicationServices()->workingDatabase())), result);
    return RTNORM;
}

int acedSetVar(const char* sym, const resbuf* val)
{
    if (sym == nullptr || val == nullptr)
        return RTERROR;
    const VariableDefinition* d = Find(sym);
    if (d == nullptr)
        return RTERROR;
    VariableValue value;
    if (d->readOnly || !FromResbuf(val, d->initial.type, value) || (d->accepts && !d->accepts(value)))
        return RTREJ;
    if (d->get)
        return d->set && d->set(value) ? RTNORM : RTREJ;
    Store(*d, Values(*d, acdbHostApplicationServices()->workingDatabase()), value);
    return RTNORM;
}
