// Parcels, points and districts with the values the coder reads, drawn into a toolkit test's
// drawing.
#pragma once

#include <string>

#include "cadastral/attribute_data.h"
#include "drawingutil/host_objects.h"
#include "parcel_scene.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/system_variables.h"

class CodingSceneTest : public ParcelSceneTest {
protected:
    void SetUp() override {
        ParcelSceneTest::SetUp();
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        ASSERT_EQ(acedSetVar("USERR1", &scale), RTNORM);
    }
    static void Append(AcDbObjectId id, const char* application, int type, const char* text,
                       long number = 0) {
        drawingutil::Chain value(type == RTSTR ? acutBuildList(RTSTR, text, RTNONE)
                                               : acutBuildList(RTLONG, number, RTNONE));
        ASSERT_TRUE(cadastral::AddEntityXData(id, application, *value, true, 0));
    }
    // A parcel with its district (QHDM) and 13-character number.
    static AcDbObjectId CodedParcel(const std::vector<AcGePoint2d>& points, const char* number,
                                    bool lightweight = false, const char* qhdm = "440101") {
        AcDbObjectId id = Parcel(points, lightweight);
        Append(id, "MIRET", RTSTR, number);
        SetXData(Name(id), "QHDM", kXDataString, qhdm);
        return id;
    }
    static AcDbObjectId NumberedPoint(double x, double y, long number, const char* code = "301000") {
        AcDbObjectId id = std::string(code) == "301000" ? BoundaryPoint(x, y) : SecondClassPoint(x, y);
        Append(id, "MIRET", RTSTR, "");
        Append(id, "MIRET", RTLONG, nullptr, number);
        return id;
    }
    static AcDbObjectId LinePoint(double x, double y) {
        return Add(new AcDbPoint(AcGePoint3d(x, y, 0)), "GD", nullptr);
    }
    static AcDbObjectId District(const std::vector<AcGePoint2d>& points, const char* code, const char* name) {
        auto* poly = new AcDbPolyline;
        for (std::size_t i = 0; i < points.size(); ++i)
            poly->addVertexAt(static_cast<unsigned>(i), points[i]);
        poly->setClosed(true);
        AcDbObjectId id = Add(poly, "DJZQ", "321000");
        SetXData(Name(id), "DJZQBM", kXDataString, code);
        SetXData(Name(id), "DJZQMC", kXDataString, name);
        return id;
    }
    static std::string Value(AcDbObjectId id, const char* application, int kind = kXDataString,
                             int index = 0) {
        std::string text;
        cadastral::ReadEntityXDataChecked(id, application, text, kind, index, false, false);
        return text;
    }
    static AcDbObjectId VertexIdAt(AcDbObjectId parcel, int at) {
        drawingutil::Opened<AcDb2dPolyline> poly(parcel, AcDb::kForRead);
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        int i = 0;
        for (it->start(); !it->done(); it->step(), ++i)
            if (i == at)
                return it->objectId();
        return AcDbObjectId();
    }
    // The codes on the parcel's frame vertices, in vertex order ("" for none).
    static std::vector<std::string> VertexCodes(AcDbObjectId parcel, const char* application = "JZXDM",
                                                int kind = kXDataString) {
        std::vector<std::string> codes;
        drawingutil::Opened<AcDb2dPolyline> poly(parcel, AcDb::kForRead);
        if (!poly)
            return codes;
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step())
            codes.push_back(Value(it->objectId(), application, kind));
        return codes;
    }
};
