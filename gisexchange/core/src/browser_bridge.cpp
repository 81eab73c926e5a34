#include "gisexchange/browser_bridge.h"

#include "browser_client/browser_client.h"

namespace gisexchange {

void SendEntityToBrowser(const char* title, const char* text, const ads_name entity) {
    const bool none = entity == nullptr || (entity[0] < 0 && entity[1] < 0);
    ReportEntityNameToBrowser(title, text, none ? nullptr : entity);
}

void SendEntityIdToBrowser(const char* title, const char* text, AcDbObjectId id) {
    ReportEntityIdToBrowser(title, text, id);
}

}  // namespace gisexchange
