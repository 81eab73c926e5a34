#include "gisexchange/xdata_snapshot.h"

#include "drawingutil/feature_codes.h"
#include "drawingutil/xdata_items.h"
#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

constexpr short kApplicationGroup = 1001;

bool ValidKind(int kind) { return kind >= 0 && kind <= 4; }

// The host's own test of an application name against the one asked for.
bool SameApplication(const resbuf* head, std::string_view application)
{
    const std::string_view name = drawingutil::TextOrEmpty(head->resval.rstring);
    return name == application || platform::text::GbkEqualNoCase(name, application);
}

}  // namespace

void XDataSnapshot::Clear()
{
    object_ = AcDbObjectId();
    read_ = false;
    chain_.reset();
    heads_.clear();
}

void XDataSnapshot::Read(AcDbObjectId id)
{
    Clear();
    object_ = id;
    read_ = true;
    if (id.isNull())
        return;
    drawingutil::Opened<AcDbObject> object(id, AcDb::kForRead);
    if (!object)
        return;
    chain_.reset(object->xData(nullptr));
    for (const resbuf* rb = chain_.get(); rb != nullptr; rb = rb->rbnext)
        if (rb->restype == kApplicationGroup)
            heads_.push_back(rb);
}

template <typename Visit>
bool XDataSnapshot::ForEachAfterHead(std::string_view application, Visit visit) const
{
    bool found = false;
    for (const resbuf* head : heads_) {
        if (!SameApplication(head, application))
            continue;
        if (found && !visit(head))
            return true;
        found = true;
        for (const resbuf* item = head->rbnext; item != nullptr && item->restype != kApplicationGroup; item = item->rbnext)
            if (!visit(item))
                return true;
    }
    return found;
}

bool XDataSnapshot::FirstOfKind(std::string_view application, int kind, std::string& text) const
{
    text.clear();
    const int group = drawingutil::GroupOfKind(kind);
    if (application.empty() || group == 0)
        return false;
    bool taken = false;
    ForEachAfterHead(application, [&](const resbuf* item) {
        if (item->restype != group)
            return true;
        text = drawingutil::ItemText(item, "%f");
        taken = true;
        return false;
    });
    return taken;
}

bool XDataSnapshot::Item(std::string_view application, int index, int kind, bool force, std::string& text) const
{
    if (application.empty() || !ValidKind(kind))
        return false;
    text.clear();
    // Counted from 0 after the head; -1 is the last buffer, the head itself when there are no items.
    const resbuf* at = nullptr;
    const resbuf* last = nullptr;
    int i = 0;
    const bool found = ForEachAfterHead(application, [&](const resbuf* item) {
        if (i++ == index) {
            at = item;
            return false;
        }
        last = item;
        return true;
    });
    if (!found)
        return false;
    if (at == nullptr && index == -1) {
        at = last;
        if (at == nullptr)
            for (const resbuf* head : heads_)
                if (SameApplication(head, application)) {
                    at = head;
                    break;
                }
    }
    if (at == nullptr)
        return false;
    if (at->restype == drawingutil::GroupOfKind(kind) || force)
        text = drawingutil::ItemText(at, "%.3f");
    return true;
}

int XDataSnapshot::Count(std::string_view application) const
{
    if (application.empty())
        return -1;
    int count = 0;
    const bool found = ForEachAfterHead(application, [&](const resbuf*) {
        ++count;
        return true;
    });
    return found ? count : -1;
}

void XDataSnapshot::Code(std::string& code) const
{
    code.clear();
    ForEachAfterHead(kFeatureCodeApp, [&](const resbuf* item) {
        if (item->restype != 1000)
            return true;
        code = drawingutil::TextOrEmpty(item->resval.rstring);
        return false;
    });
}

}  // namespace gisexchange
