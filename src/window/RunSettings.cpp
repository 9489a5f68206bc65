// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSettings.h"

#include "CharacterListPart.h"
#include "EngineText.h"
#include "OptionsPart.h"
#include "brantlewick/engine/EnterCount.h"

namespace brantlewick {

int EnterCountOf(const OptionsPart& options) {
    return EnterCountFromText(ToEngine(options.EnterCountText()));
}

ConversionOptions ConversionFromControls(const CharacterListPart& characters, const OptionsPart& options,
                                         int enterCount) {
    ConversionOptions conversion;
    conversion.entries = ToEngine(characters.Entries());
    options.ChooseSentenceOptions(conversion);
    conversion.enterCount = enterCount;
    return conversion;
}

} // namespace brantlewick
