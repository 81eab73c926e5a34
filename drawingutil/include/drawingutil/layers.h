// Layers of coded entities: a layer named by a caller is created when the drawing lacks it.
#pragma once

#include <string>

#include "platform/cad/acad_status.h"
#include "platform/cad/resbuf.h"

class AcDbDatabase;
class AcDbEntity;

// Adds the layer with the host's defaults when the drawing's layer table lacks it. eOk and nothing
// done for a null or empty name; otherwise the host's status.
Acad::ErrorStatus EnsureLayerRecord(AcDbDatabase* db, const char* layer);

// Puts an entity that is open for write (or not yet in a drawing) on the layer, creating the layer
// with the host's defaults when its table lacks it; sub-entities follow. eOk and nothing done for
// a null or empty name; otherwise the host's status.
Acad::ErrorStatus EnsureLayer(AcDbEntity* entity, const char* layer);
// EnsureLayer for an entity given by name; nothing for an empty name or an entity that cannot be
// opened for write.
void SetEntityLayer(const ads_name entity, const char* layer);
// The name of the entity's layer, through the host's heap copy; empty for a null entity.
std::string LayerNameOf(const AcDbEntity* entity);
