// What the toolkit asks of the product's main drawing application, which runs in the same host:
// four of its commands and two of its LISP functions, run by name. Their results are never read:
// each call returns whether the host ran it, and the caller goes on the same either way.
#pragma once

#include "platform/cad/resbuf.h"

namespace cadastral {

// "EXPLODEGCD" with the answers "all" and Enter; run before the annotation coding.
int RunExplodeGcd();
// "AREAPRETREAT" with no answers; run before an exchange export when the user asks for it.
int RunAreaPretreat();
// "FindZeroAreaTB" with no answers; run at the end of the patch overlap check.
int RunFindZeroAreaTb();
// "REDERO" with the block reference and the 32-bit integer 1.
int RunRedero(const ads_name blockReference);
// "ss_exportshp" with the selection and the folder, passed unchanged.
int CallExportShp(const ads_name selection, const char* folder);
// "qwert" with the selection, the folder, the 16-bit integer 1 and "QTD", "QTX", "QTM", "QTT".
int CallQwert(const ads_name selection, const char* folder);

}  // namespace cadastral
