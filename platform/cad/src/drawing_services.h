// What the host keeps beside each open drawing: its spatial and layer indexes, its view and its undo
// journal.
// Made on first use and attached to the database as observers; dropped when the database is gone.
#pragma once

#include <memory>

#include "platform/cad/undo_journal.h"
#include "platform/cad/view_state.h"
#include "layer_index.h"
#include "spatial_index.h"

namespace platform::cad {

struct DrawingServices {
    explicit DrawingServices(AcDbDatabase* database) : index(database), layers(database), journal(database) {}
    SpatialIndex index;
    LayerIndex layers;
    ViewState view;
    UndoJournal journal;
};

// The services of the drawing (the working one when null).
DrawingServices& ServicesOf(AcDbDatabase* database = nullptr);

}  // namespace platform::cad
