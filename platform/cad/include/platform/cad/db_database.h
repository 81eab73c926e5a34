// The drawing database: object table, symbol tables, named-objects dictionary, current settings,
// and the host-level working database that product code reaches through
// acdbHostApplicationServices()->workingDatabase().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/db_observer.h"
#include "platform/cad/ge_matrix3d.h"
#include "platform/cad/ge_types.h"
#include "platform/cad/object_table.h"
#include "platform/cad/variable_value.h"

class AcDbObject;
class AcDbEntity;
class AcDbSymbolTable;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbTextStyleTable;
class AcDbRegAppTable;
class AcDbDictionary;

class AcDbDatabase {
public:
    // With buildDefaultDrawing the database holds what a new drawing has: tables, layer "0",
    // linetypes ByBlock/ByLayer/Continuous, text style "Standard", application "ACAD", model and
    // paper space and the group dictionary. Without it only the bare tables and dictionary exist,
    // for a reader to fill.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase();
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    // Makes a non-resident object resident (not an entity: entities go into a block record). The
    // object stays open for write.
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* object);
    Acad::ErrorStatus addAcDbObject(AcDbObject* object);
    // The same under a given handle, for a drawing reader; eHandleInUse when another object has it.
    Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* object, AcDbHandle handle);
    // The id of a handle; eUnknownHandle when no object has it.
    Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle);

    Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& table, AcDb::OpenMode mode);
    Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode) { return getBlockTable(table, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode) { return getLayerTable(table, mode); }
    Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode)
    {
        return getLinetypeTable(table, mode);
    }
    Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode)
    {
        return getTextStyleTable(table, mode);
    }
    Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& table, AcDb::OpenMode mode) { return getRegAppTable(table, mode); }
    Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode);
    Acad::ErrorStatus getGroupDictionary(AcDbDictionary*& dict, AcDb::OpenMode mode);

    AcDbObjectId blockTableId() const { return blockTable_; }
    AcDbObjectId layerTableId() const { return layerTable_; }
    AcDbObjectId linetypeTableId() const { return linetypeTable_; }
    AcDbObjectId textStyleTableId() const { return textStyleTable_; }
    AcDbObjectId regAppTableId() const { return regAppTable_; }
    // Null unless the drawing was read from a file that has the table.
    AcDbObjectId viewportTableId() const { return viewportTable_; }
    AcDbObjectId dimStyleTableId() const { return dimStyleTable_; }
    AcDbObjectId viewTableId() const { return viewTable_; }
    AcDbObjectId ucsTableId() const { return ucsTable_; }
    AcDbObjectId namedObjectsDictionaryId() const { return nod_; }
    AcDbObjectId groupDictionaryId() const;
#ifdef DERO_HOST_EXTRAS
    AcDbObjectId modelSpaceId() const;
    AcDbObjectId paperSpaceId() const;
#endif
    AcDbObjectId currentSpaceId() const;

    // Current layer, text style and linetype of new entities.
    AcDbObjectId clayer() const { return clayer_; }
    Acad::ErrorStatus setClayer(AcDbObjectId layer);
    AcDbObjectId textstyle() const { return textstyle_; }
    Acad::ErrorStatus setTextstyle(AcDbObjectId style);
    AcDbObjectId celtype() const { return celtype_; }
    Acad::ErrorStatus setCeltype(AcDbObjectId linetype);
    AcDbObjectId byLayerLinetype() const;
    AcDbObjectId byBlockLinetype() const;
    AcDbObjectId continuousLinetype() const;

    // Loads linetypes from a linetype definition file (a path on this machine): the one named, or
    // all for "*". eFileNotFound, eKeyNotFound when the file lacks the name, eDuplicateRecordName
    // when the drawing has it already (with "*", those are skipped).
    Acad::ErrorStatus loadLineTypeFile(const char* name, const char* fileName);

    // Copies the model space of another drawing into this one as a new block definition, with
    // the layers, linetypes, text styles, applications and nested blocks it needs (taken by name;
    // missing ones are copied too). eDuplicateRecordName when the block exists. When the source is
    // not preserved, entities it can give up move instead of being copied: this drawing ends as
    // the copy leaves it, and the source is fit only for deleting.
    Acad::ErrorStatus insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source,
                             bool preserveSourceDatabase = true);

    // Copies the whole of another drawing into this one: its model-space entities into this model
    // space, the records and blocks they need (taken by name; missing ones are copied), its groups
    // and the named dictionaries this drawing lacks. Only the identity transform is supported
    // (eNotImplementedYet for others); the source is left as it was when it is preserved, and is
    // fit only for deleting when not (entities move as in the block form above).
    Acad::ErrorStatus insert(const AcGeMatrix3d& xform, AcDbDatabase* source, bool preserveSourceDatabase = true);

    // Drawing files. On this host drawings are DXF files; a name ending in ".dwg" is also found as
    // the same name ending in ".dxf". Names are GBK, in Windows form or POSIX. On failure
    // platform::cad::LastDrawingFileError() says why (naming the line of a malformed drawing), and
    // this database is left as it was. A save replaces the file whole, keeping its permissions; it
    // writes through a symbolic link to the file the link names, and refuses a read-only file.
    Acad::ErrorStatus readDwgFile(const char* fileName);
    Acad::ErrorStatus dxfIn(const char* fileName);
    Acad::ErrorStatus dxfOut(const char* fileName);
    Acad::ErrorStatus saveAs(const char* fileName);

    // The user coordinate system (world by default: plan view).
    const AcGePoint3d& ucsOrigin() const { return ucsOrigin_; }
    const AcGeVector3d& ucsXDir() const { return ucsX_; }
    const AcGeVector3d& ucsYDir() const { return ucsY_; }
    Acad::ErrorStatus setUcs(const AcGePoint3d& origin, const AcGeVector3d& xDir, const AcGeVector3d& yDir);

    // Header values saved with the drawing. The user real USERR1 and the global linetype scale are
    // the system variables of these names, one value with what acedGetVar and acedSetVar give and
    // take on the working drawing (a scale not above 0 is eInvalidInput).
    double userr1() const;
    Acad::ErrorStatus setUserr1(double value);
    double ltscale() const;
    Acad::ErrorStatus setLtscale(double scale);
    // Every drawing variable of the drawing (platform::cad::GetDrawingVariable reads them by name).
    platform::cad::DrawingVariables& variables() { return variables_; }
    const platform::cad::DrawingVariables& variables() const { return variables_; }
    // The drawing extents (empty extents are +1e20 below -1e20, as a new drawing has them).
    AcGePoint3d extmin() const { return extmin_; }
    AcGePoint3d extmax() const { return extmax_; }
    void setExtmin(const AcGePoint3d& p) { extmin_ = p; }
    void setExtmax(const AcGePoint3d& p) { extmax_ = p; }

    AcDbHandle handseed() const { return AcDbHandle(objects_.HandleSeed()); }

    // Host-side services.
    platform::cad::ObjectTable& objects() { return objects_; }
    const platform::cad::ObjectTable& objects() const { return objects_; }
    void addObserver(platform::cad::DatabaseObserver* observer);
    void removeObserver(platform::cad::DatabaseObserver* observer);
    const std::vector<platform::cad::DatabaseObserver*>& observers() const { return observers_; }
    // Ids of objects still open, for the check after each command.
    AcDbObjectIdArray openObjectIds() const;
    // The number that entity names of this database carry; unique in the process.
    std::int64_t serial() const { return serial_; }
    static AcDbDatabase* fromSerial(std::int64_t serial);
    // Ids of the reader's root objects, for a drawing reader that builds them itself.
    void setRootIds(AcDbObjectId blockTable, AcDbObjectId layerTable, AcDbObjectId linetypeTable,
                    AcDbObjectId textStyleTable, AcDbObjectId regAppTable, AcDbObjectId nod);
    void setKeptTableIds(AcDbObjectId viewportTable, AcDbObjectId dimStyleTable, AcDbObjectId viewTable,
                         AcDbObjectId ucsTable);
    // For an insert that does not preserve this drawing: takes an entity out of it, left just as
    // a copy of it would be (not resident; no owner, reactors or extension dictionary), when the
    // entity is of a kind whose copy is a plain one, no one holds it open and no observer watches
    // this drawing. Null otherwise: the entity stays and the insert copies it.
    AcDbEntity* takeEntityForInsert(AcDbObjectId id);

private:
    void buildTables();
    void buildDefaults();

    platform::cad::ObjectTable objects_;
    std::int64_t serial_;
    AcDbObjectId blockTable_, layerTable_, linetypeTable_, textStyleTable_, regAppTable_, nod_;
    AcDbObjectId viewportTable_, dimStyleTable_, viewTable_, ucsTable_;
    AcDbObjectId clayer_, textstyle_, celtype_;
    AcGePoint3d ucsOrigin_;
    platform::cad::DrawingVariables variables_;
    AcGePoint3d extmin_{1e20, 1e20, 1e20};
    AcGePoint3d extmax_{-1e20, -1e20, -1e20};
    AcGeVector3d ucsX_{1, 0, 0};
    AcGeVector3d ucsY_{0, 1, 0};
    std::vector<platform::cad::DatabaseObserver*> observers_;
};

class AcDbHostApplicationServices {
public:
    // The drawing product code works on. Never null: a fresh default drawing is made on first use
    // when none was set.
    AcDbDatabase* workingDatabase() const;
    void setWorkingDatabase(AcDbDatabase* database);

private:
    friend class AcDbDatabase;
    mutable AcDbDatabase* working_ = nullptr;
    mutable std::unique_ptr<AcDbDatabase> fallback_;
};

AcDbHostApplicationServices* acdbHostApplicationServices();

namespace platform::cad {
// Why the last drawing-file operation of this thread failed (GBK), empty after a success.
const std::string& LastDrawingFileError();

// Drawing files named on the host's own command line: Linux paths (UTF-8), which may hold
// characters that GBK or Windows names cannot.
//
// The file a drawing path stands for: the file itself, for "x.dwg" the x.dxf beside it, or else a
// name in the host's Windows form found as readDwgFile finds it; empty when there is none.
// *documentName gets the name the drawing goes by inside the host: the path's Windows form in GBK,
// where a character GBK lacks shows as '?' as on Windows' ANSI calls.
std::string FindDrawingFile(const std::string& path, std::string* documentName = nullptr);
Acad::ErrorStatus ReadDrawingFile(AcDbDatabase& db, const std::string& path, std::string* documentName);
// The file a save to the path writes: "x.dwg" is kept as x.dxf, as saveAs keeps it.
std::string SavedDrawingFile(const std::string& path);
Acad::ErrorStatus WriteDrawingFile(const AcDbDatabase& db, const std::string& path);
}  // namespace platform::cad

// Names of the two layout blocks.
constexpr const char* ACDB_MODEL_SPACE = "*Model_Space";
constexpr const char* ACDB_PAPER_SPACE = "*Paper_Space";
