// SPDX-License-Identifier: GPL-3.0-or-later
// The run's settings as the window's controls stand: what "Start Adding" applies and the preview shows.
#pragma once

#include "brantlewick/engine/Conversion.h"

namespace brantlewick {

class CharacterListPart;
class OptionsPart;

// The Enter count as "Start Adding" reads it from its box, once for a run; throws EnterCountOverflow for one
// it refuses (the run then inserts no breaks).
int EnterCountOf(const OptionsPart& options);
// The conversion as the other controls stand now, as "Start Adding" would apply it to a file coming up.
ConversionOptions ConversionFromControls(const CharacterListPart& characters, const OptionsPart& options,
                                         int enterCount);

} // namespace brantlewick
