// SPDX-License-Identifier: GPL-2.0-or-later
#include "memotext.h"

#include "atomicfile.h"

namespace meteo {

void MemoText::SaveToFile(const QString &path) const
{
    writeFileAtomically(path, text_);
}

} // namespace meteo
