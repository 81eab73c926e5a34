// Coded single-line texts.
#pragma once

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

// The cadastral toolkit's reading of the justification codes ("C" centres the text on its
// baseline) with its own default width factor.
struct TextOptions {
    bool centreCode = false;
    double defaultWidthFactor = 0.8;
};

// A new text of the height (above 0) at the position, on the layer when one is given (created when
// missing), with the feature code when not empty. Justification codes, without case: "M", "TL",
// "TC", "TR", "ML", "MR", "BL", "BC", "BR", "R" (as "BR") place the text by its alignment point;
// any other code makes a left baseline text at the position. A width factor not above 0 takes the
// default (0.8). With a font name, the text takes the style named after the font, made when the
// drawing lacks it. The null id, with nothing created, for an empty text or a height not above 0.
AcDbObjectId CreateText(const AcGePoint3d& position, const char* text, const char* justification, const char* code,
                        double height, const char* layer, double rotation, double widthFactor,
                        const char* fontName, const TextOptions& options = {});
