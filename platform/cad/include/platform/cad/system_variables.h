// System variables: typed values found by name without regard to case. Some are saved in the
// drawing (one value per drawing), some live for the session; a module of the host can add
// computed ones with a getter and a setter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/cad/resbuf.h"

class AcDbDatabase;

// The value in *result (a string is a heap copy that the caller frees with free or acutDelString).
// RTERROR for an unknown name.
int acedGetVar(const char* sym, resbuf* result);
// RTERROR for an unknown name; RTREJ for a read-only variable, a value of a type the variable
// cannot take, or one outside its range. Whole numbers are taken for reals.
int acedSetVar(const char* sym, const resbuf* val);

namespace platform::cad {

enum class VariableScope { Drawing, Session };

struct VariableValue {
    short type = RTSHORT;  // RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT or RT3DPOINT
    long long integer = 0;
    double real = 0;
    double point[3] = {0, 0, 0};
    std::string text;
};

struct VariableDefinition {
    std::string name;
    VariableValue initial;  // also fixes the type
    VariableScope scope = VariableScope::Session;
    bool readOnly = false;
    // Refuses values outside the variable's range; null accepts all.
    std::function<bool(const VariableValue&)> accepts;
    // A computed variable reads and writes through these instead of a stored value.
    std::function<VariableValue()> get;
    std::function<bool(const VariableValue&)> set;
};

// Adds or replaces a variable.
void RegisterSystemVariable(VariableDefinition definition);
bool HasSystemVariable(const std::string& name);
std::vector<std::string> SystemVariableNames();

// A drawing's own value of a drawing variable (for the drawing reader and writer); false for
// names that are not drawing variables.
bool GetDrawingVariable(const AcDbDatabase* database, const std::string& name, VariableValue& value);
bool SetDrawingVariable(const AcDbDatabase* database, const std::string& name, const VariableValue& value);
// Drops the values of a drawing that closes.
void ForgetDrawingVariables(const AcDbDatabase* database);

// Number parsing as the command line does it (blanks around allowed, nothing else).
bool ParseReal(const std::string& text, double& value);
bool ParseInt(const std::string& text, int& value);

}  // namespace platform::cad
