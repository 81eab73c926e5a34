// System variables: typed values found by name without regard to case. Some are saved in the
// drawing (one value per drawing), some live for the session; a module of the host can add
// computed ones with a getter and a setter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/cad/resbuf.h"
#include "platform/cad/variable_value.h"

class AcDbDatabase;

// The value in *result (a string is a heap copy that the caller frees with free or acutDelString).
// RTERROR for an unknown name.
int acedGetVar(const char* sym, resbuf* result);
// RTERROR for an unknown name; RTREJ for a read-only variable, a value of a type the variable
// cannot take, or one outside its range. Whole numbers are taken for reals.
int acedSetVar(const char* sym, const resbuf* val);

namespace platform::cad {

enum class VariableScope { Drawing, Session };

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

// A drawing's own value of a stored drawing variable, which the drawing saves in its header; false
// for names that are not such variables, and a set of a value of another type or outside the range.
bool GetDrawingVariable(const AcDbDatabase* database, const std::string& name, VariableValue& value);
bool SetDrawingVariable(AcDbDatabase* database, const std::string& name, const VariableValue& value);
// The stored drawing variables, in name order: the variables a drawing's header holds.
std::vector<VariableDefinition> DrawingVariableDefinitions();

// Number parsing as the command line does it (blanks around allowed, nothing else).
bool ParseReal(const std::string& text, double& value);
bool ParseInt(const std::string& text, int& value);

}  // namespace platform::cad
