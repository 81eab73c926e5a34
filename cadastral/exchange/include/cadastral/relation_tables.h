// The seven relation tables of the exchange package, each a dBASE table in the package folder that
// links the codes of two kinds of features: parcels (ZDDM), boundary lines (JZXDM), boundary points
// (JZDDM), shared boundaries (GDDM), houses (FWDM) and annotations (ZJDM). While writing, the
// writers also note in the export context what the shapefile export is to receive.
#pragma once

#include "cadastral/dbf_table_writer.h"
#include "cadastral/exchange_package.h"
#include "cadastral/parcel_boundary.h"
#include "platform/cad/db_object_id.h"

namespace cadastral {

enum class TableOutcome {
    Written,  // the table is complete on disk
    Refused,  // nothing to write, or its fields cannot be declared: no file, the export goes on
    Failed,   // the file could not be created, written or closed: the export must not be packed
};

// In the order the export writes them. Each writes "<package folder><name>.dbf".
TableOutcome WriteJzxReGd(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteZdReJzx(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteJzxReJzd(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteZdReZj(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteJzdReZj(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteJzxReZj(CRelationExport& context, const BoundaryPointIndex& index);
TableOutcome WriteFwReZj(CRelationExport& context, const BoundaryPointIndex& index);

// Writes the seven tables in order, printing "\n生成<name>失败" for each that is not written. False
// as soon as one fails; a refused one does not stop the others.
bool WriteRelationTables(CRelationExport& context, const BoundaryPointIndex& index);

// Fills the fields of one row about a boundary line and one of its end points (number 1 the start,
// 2 the end): a field named JZXDM takes the line's code; otherwise a field of kind 0 or 20 takes
// the attribute of its name from the point, one of kind 10 from the line.
void BuildBoundaryLineCodes(DbfTableWriter& writer, const DbfFieldDef* fields, int count, AcDbObjectId line,
                            AcDbObjectId start, AcDbObjectId end, int number);

}  // namespace cadastral
