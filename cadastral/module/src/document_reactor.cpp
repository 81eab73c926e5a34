#include "cadastral/document_reactor.h"

#include <memory>

#include "cadastral/parcel_order.h"
#include "drawingutil/command_table.h"

namespace cadastral {
namespace {

std::unique_ptr<CDocPointOrderReactor>& Reactor() {
    static std::unique_ptr<CDocPointOrderReactor> reactor;
    return reactor;
}

}  // namespace

void CDocPointOrderReactor::documentActivated(AcApDocument* document) {
    if (document == nullptr || document != acDocManager->curDocument())
        return;
    // A notification returns to the host, which would not survive anything thrown.
    try {
        OrderDrawingOnActivation();
    } catch (...) {
        drawingutil::ReportCommandFailure();
    }
}

void CDocPointOrderReactor::documentToBeDestroyed(AcApDocument*) {}

void AddPointOrderReactor() {
    if (Reactor() || acDocManager == nullptr)
        return;
    Reactor() = std::make_unique<CDocPointOrderReactor>();
    acDocManager->addReactor(Reactor().get());
}

void RemovePointOrderReactor() {
    if (!Reactor())
        return;
    if (acDocManager != nullptr)
        acDocManager->removeReactor(Reactor().get());
    Reactor().reset();
}

}  // namespace cadastral
