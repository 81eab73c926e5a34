// A 3D transformation as the host's geometry library gives it: a 4x4 matrix acting on column
// vectors. Drawings inserted whole take one.
#pragma once

class AcGeMatrix3d {
public:
    AcGeMatrix3d() { setToIdentity(); }
    static const AcGeMatrix3d kIdentity;

    AcGeMatrix3d& setToIdentity() {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                entry[r][c] = r == c ? 1.0 : 0.0;
        return *this;
    }
    bool isEqualTo(const AcGeMatrix3d& other, double tol = 1e-12) const {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                double d = entry[r][c] - other.entry[r][c];
                if (d > tol || d < -tol)
                    return false;
            }
        return true;
    }
    bool operator==(const AcGeMatrix3d& other) const { return isEqualTo(other); }

    double entry[4][4];
};

inline const AcGeMatrix3d AcGeMatrix3d::kIdentity;
