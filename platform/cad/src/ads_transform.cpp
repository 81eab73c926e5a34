#include "platform/cad/ads_transform.h"

#include <cmath>

#include "platform/cad/db_database.h"

namespace {
// The arbitrary-axis rule: the x axis of an entity's system lies in the world XY plane unless the
// normal is close to the world z axis.
bool EcsAxes(const ads_point normal, AcGeVector3d& ax, AcGeVector3d& ay, AcGeVector3d& az)
{
    az = AcGeVector3d(normal[0], normal[1], normal[2]);
    if (az.isZeroLength() || !std::isfinite(az.length()))
        return false;
    az.normalize();
    if (std::abs(az.x) < 1.0 / 64 && std::abs(az.y) < 1.0 / 64)
        ax = AcGeVector3d(0, 1, 0).crossProduct(az);
    else
        ax = AcGeVector3d(0, 0, 1).crossProduct(az);
    ax.normalize();
    ay = az.crossProduct(ax);
    return true;
}

void Set(ads_point q, const AcGeVector3d& v)
{
    q[0] = v.x;
    q[1] = v.y;
    q[2] = v.z;
}
}  // namespace

int acdbEcs2Wcs(const ads_point p, ads_point q, const ads_point normal, bool /*disp*/)
{
    AcGeVector3d ax, ay, az;
    if (!EcsAxes(normal, ax, ay, az))
        return RTERROR;
    Set(q, ax * p[0] + ay * p[1] + az * p[2]);
    return RTNORM;
}

int acdbWcs2Ecs(const ads_point p, ads_point q, const ads_point normal, bool /*disp*/)
{
    AcGeVector3d ax, ay, az;
    if (!EcsAxes(normal, ax, ay, az))
        return RTERROR;
    AcGeVector3d v(p[0], p[1], p[2]);
    Set(q, AcGeVector3d(v.dotProduct(ax), v.dotProduct(ay), v.dotProduct(az)));
    return RTNORM;
}

int acdbUcs2Wcs(const ads_point p, ads_point q, bool disp)
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcGeVector3d x = db->ucsXDir(), y = db->ucsYDir(), z = x.crossProduct(y);
    AcGeVector3d v = x * p[0] + y * p[1] + z * p[2];
    if (!disp)
        v = v + (db->ucsOrigin() - AcGePoint3d::kOrigin);
    Set(q, v);
    return RTNORM;
}

int acdbWcs2Ucs(const ads_point p, ads_point q, bool disp)
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcGeVector3d x = db->ucsXDir(), y = db->ucsYDir(), z = x.crossProduct(y);
    AcGeVector3d v(p[0], p[1], p[2]);
    if (!disp)
        v = v - (db->ucsOrigin() - AcGePoint3d::kOrigin);
    Set(q, AcGeVector3d(v.dotProduct(x), v.dotProduct(y), v.dotProduct(z)));
    return RTNORM;
}

int acdbEcs2Ucs(const ads_point p, ads_point q, const ads_point normal, bool disp)
{
    ads_point w;
    if (acdbEcs2Wcs(p, w, normal, disp) != RTNORM)
        return RTERROR;
    return acdbWcs2Ucs(w, q, disp);
}

int acdbUcs2Ecs(const ads_point p, ads_point q, const ads_point normal, bool disp)
{
    ads_point w;
    acdbUcs2Wcs(p, w, disp);
    return acdbWcs2Ecs(w, q, normal, disp);
}
