// Feature codes: the six-digit class of an entity, the first string item of its extended data
// under the application "miret". The host compares application names without case, so callers
// that write "MIRET" reach the same data.
#pragma once

#include <string>

#include "platform/cad/resbuf.h"

// The application that holds the feature code, as this library writes it.
constexpr const char* kFeatureCodeApp = "miret";

// The feature code, or the empty text when the entity cannot be opened or has none. The first
// string item counts, wherever it stands.
void GetEntityCode(const ads_name entity, std::string& code);
// The whole chain under "miret" (head included), or null; free it with acutRelRb.
resbuf* GetCodeXData(const ads_name entity);
// Replaces the entity's data under "miret" by the code alone; other applications keep theirs.
void SetEntityCode(const ads_name entity, const char* code);
