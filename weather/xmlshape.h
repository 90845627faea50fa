// SPDX-License-Identifier: GPL-2.0-or-later
// A linear look at an XML document's shape before the document model reads it. The model takes
// seconds on documents that are deep, wide or made of millions of tiny elements, and expands entity
// declarations; a weather document is none of these, so such a file is refused up front.
#pragma once
#include <QByteArrayView>
#include <QString>

namespace meteo {

struct XmlShapeLimits {
    qsizetype bytes = 1024 * 1024;  // our document, 48 hours included, takes about 17 KB; the model reads
                                    // about 70 MB/s, so this bounds every parse to some 15 ms
    int depth = 64;          // nested elements
    int attributes = 64;     // on one element
    int nodes = 10000;       // elements and attributes of the whole document; ours, 48 hours
                             // included, has about 900
};

// The reason for refusing `bytes` (in French, for the error report), or an empty text when the
// shape is within the limits. Not a validator: a malformed document is left to the XML reader.
[[nodiscard]] QString xmlShapeFault(QByteArrayView bytes, const XmlShapeLimits &limits = {});

} // namespace meteo
