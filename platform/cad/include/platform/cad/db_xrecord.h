// XRECORD: a free list of tagged values filed in a dictionary.
#pragma once

#include "platform/cad/db_object.h"

class AcDbXrecord : public AcDbObject {
    DERO_RX_DECLARE_MEMBERS(AcDbXrecord)

public:
    AcDbXrecord() = default;

    // A heap copy of the data (null when empty); free it with acutRelRb.
    Acad::ErrorStatus rbChain(resbuf** chain, AcDbDatabase* database = nullptr) const;
    // Replaces the data; eInvalidResBuf (nothing changed) for a type the record cannot hold.
    Acad::ErrorStatus setFromRbChain(const resbuf& chain, AcDbDatabase* database = nullptr);
    // An empty chain: clears the data.
    Acad::ErrorStatus clearData();
    const platform::cad::DxfTagList& data() const { return data_; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    platform::cad::DxfTagList data_;
};
