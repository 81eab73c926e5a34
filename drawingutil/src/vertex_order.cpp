#include "drawingutil/vertex_order.h"

#include <cmath>
#include <memory>
#include <string>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_polyline.h"

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"

namespace drawingutil {

std::vector<int> VertexSequence(int count, int start, bool reverse, bool closed)
{
    std::vector<int> sequence;
    if (count <= 0)
        return sequence;
    sequence.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        int k = 0;
        if (!reverse)
            k = start + i;
        else if (closed)
            k = start - i;
        else
            k = start + count - 1 - i;
        sequence.push_back(((k % count) + count) % count);
    }
    return sequence;
}

std::vector<SegmentSource> SegmentSources(const std::vector<int>& sequence, bool reverse, bool closed)
{
    const int n = static_cast<int>(sequence.size());
    auto exists = [&](int k) { return closed || k < n - 1; };
    std::vector<SegmentSource> sources(sequence.size());
    for (int i = 0; i < n; ++i) {
        if (!closed && i == n - 1)
            break;
        int a = sequence[static_cast<std::size_t>(i)];
        int b = sequence[static_cast<std::size_t>((i + 1) % n)];
        bool forward = exists(a) && (a + 1) % n == b;
        bool backward = exists(b) && (b + 1) % n == a;
        // Two vertices of a closed ring are joined both ways: the direction decides.
        if (forward && (!reverse || !backward))
            sources[static_cast<std::size_t>(i)] = {a, false};
        else if (backward)
            sources[static_cast<std::size_t>(i)] = {b, true};
    }
    return sources;
}

}  // namespace drawingutil

using namespace drawingutil;

namespace {

struct SegmentData {
    double bulge = 0;
    double startWidth = 0;
    double endWidth = 0;
};

SegmentData SegmentFor(const SegmentSource& source, const std::vector<SegmentData>& old)
{
    if (source.old < 0)
        return {};
    const SegmentData& s = old[static_cast<std::size_t>(source.old)];
    if (!source.backward)
        return s;
    // A straight segment stays 0, not -0.
    return {s.bulge == 0 ? 0.0 : -s.bulge, s.endWidth, s.startWidth};
}

bool ReorderLightweight(AcDbPolyline* poly, int start, bool reverse)
{
    const int n = static_cast<int>(poly->numVerts());
    if (n < 2 || start < 0 || start >= n)
        return false;
    std::vector<AcGePoint2d> points(static_cast<std::size_t>(n));
    std::vector<SegmentData> segments(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        auto u = static_cast<unsigned int>(i);
        auto& s = segments[static_cast<std::size_t>(i)];
        poly->getPointAt(u, points[static_cast<std::size_t>(i)]);
        poly->getBulgeAt(u, s.bulge);
        poly->getWidthsAt(u, s.startWidth, s.endWidth);
    }
    std::vector<int> sequence = VertexSequence(n, start, reverse, poly->isClosed());
    std::vector<SegmentSource> sources = SegmentSources(sequence, reverse, poly->isClosed());
    for (int i = 0; i < n; ++i) {
        auto u = static_cast<unsigned int>(i);
        auto at = static_cast<std::size_t>(i);
        SegmentData s = SegmentFor(sources[at], segments);
        if (poly->setPointAt(u, points[static_cast<std::size_t>(sequence[at])]) != Acad::eOk ||
            poly->setBulgeAt(u, s.bulge) != Acad::eOk || poly->setWidthsAt(u, s.startWidth, s.endWidth) != Acad::eOk)
            return false;
    }
    return true;
}

// What moves with a frame vertex of a 2D polyline.
struct FrameVertex {
    AcDbObjectId id;
    AcGePoint3d position;
    bool tangentUsed = false;
    double tangent = 0;
    Chain xdata;
    std::vector<std::string> apps;
};

bool IsFrameVertex(AcDb::Vertex2dType type) { return type == AcDb::k2dVertex || type == AcDb::k2dSplineCtlVertex; }

std::vector<std::string> AppsOf(const resbuf* data)
{
    std::vector<std::string> apps;
    for (const resbuf* rb = data; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == 1001 && rb->resval.rstring != nullptr)
            apps.emplace_back(rb->resval.rstring);
    return apps;
}

// The extended data a vertex takes over, followed by an empty entry for every application the
// vertex held that the data does not name, so that nothing of its old data stays.
Chain DataReplacing(Chain incoming, const std::vector<std::string>& incomingApps,
                    const std::vector<std::string>& currentApps)
{
    resbuf* tail = incoming.get();
    while (tail != nullptr && tail->rbnext != nullptr)
        tail = tail->rbnext;
    for (const std::string& app : currentApps) {
        bool named = false;
        for (const std::string& other : incomingApps)
            named = named || app == other;
        if (named)
            continue;
        resbuf* head = acutBuildList(1001, app.c_str(), 0);
        if (head == nullptr)
            return nullptr;
        if (tail == nullptr)
            incoming.reset(head);
        else
            tail->rbnext = head;
        tail = head;
    }
    return incoming;
}

bool Reorder2d(AcDb2dPolyline* poly, int start, bool reverse)
{
    std::vector<FrameVertex> frame;
    std::vector<SegmentData> segments;
    {
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
            Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
            if (!vertex)
                return false;
            if (!IsFrameVertex(vertex->vertexType()))
                continue;
            FrameVertex v;
            v.id = it->objectId();
            v.position = vertex->position();
            v.tangentUsed = vertex->isTangentUsed();
            v.tangent = vertex->tangent();
            v.xdata.reset(vertex->xData());
            v.apps = AppsOf(v.xdata.get());
            frame.push_back(std::move(v));
            segments.push_back({vertex->bulge(), vertex->startWidth(), vertex->endWidth()});
        }
    }
    const int n = static_cast<int>(frame.size());
    if (n < 2 || start < 0 || start >= n)
        return false;
    // Every vertex is opened before the first changes, so that a vertex that cannot be written
    // leaves the outline as it was.
    std::vector<std::unique_ptr<Opened<AcDb2dVertex>>> opened;
    for (const FrameVertex& v : frame) {
        opened.push_back(std::make_unique<Opened<AcDb2dVertex>>(v.id, AcDb::kForWrite));
        if (!*opened.back())
            return false;
    }
    std::vector<int> sequence = VertexSequence(n, start, reverse, poly->isClosed());
    std::vector<SegmentSource> sources = SegmentSources(sequence, reverse, poly->isClosed());
    for (int i = 0; i < n; ++i) {
        auto at = static_cast<std::size_t>(i);
        FrameVertex& from = frame[static_cast<std::size_t>(sequence[at])];
        SegmentData s = SegmentFor(sources[at], segments);
        Opened<AcDb2dVertex>& vertex = *opened[at];
        vertex->setPosition(from.position);
        vertex->setBulge(s.bulge);
        vertex->setStartWidth(s.startWidth);
        vertex->setEndWidth(s.endWidth);
        if (from.tangentUsed) {
            vertex->setTangent(reverse ? std::remainder(from.tangent + M_PI, 2 * M_PI) : from.tangent);
            vertex->useTangent();
        } else {
            vertex->ignoreTangent();
        }
        // Each vertex's data goes to exactly one place, so it is handed over rather than copied.
        Chain data = DataReplacing(std::move(from.xdata), from.apps, frame[at].apps);
        if (data && vertex->setXData(data.get()) != Acad::eOk)
            return false;
    }
    if (poly->polyType() != AcDb::k2dSimplePoly)
        poly->convertToPolyType(poly->polyType());
    return true;
}

}  // namespace

bool ReorderPolylineVertices(const ads_name entity, int start, bool reverse)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (AcDbPolyline* lw = AsPolyline(object.get())) {
        if (start == 0 && !reverse)
            return true;
        return ReorderLightweight(lw, start, reverse);
    }
    if (AcDb2dPolyline* poly = As2dPolyline(object.get())) {
        if (start == 0 && !reverse)
            return true;
        return Reorder2d(poly, start, reverse);
    }
    return false;
}

bool ReversePolylineVertices(const ads_name entity)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    int count = 0;
    bool closed = false;
    {
        Opened<AcDbEntity> object(id, AcDb::kForRead);
        if (AcDbPolyline* lw = AsPolyline(object.get())) {
            count = static_cast<int>(lw->numVerts());
            closed = lw->isClosed();
        } else if (AcDb2dPolyline* poly = As2dPolyline(object.get())) {
            std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
            for (it->start(); !it->done(); it->step()) {
                Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
                if (!vertex)
                    return false;
                count += IsFrameVertex(vertex->vertexType()) ? 1 : 0;
            }
            closed = poly->isClosed();
        } else {
            return false;
        }
    }
    if (count < 2)
        return false;
    // A closed ring read backwards from its last vertex; an open list is read from its end anyway.
    return ReorderPolylineVertices(entity, closed ? count - 1 : 0, true);
}
