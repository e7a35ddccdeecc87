// The names of the 32 factory programs, by host program index: the English
// ones the host is told, and the Russian ones printed on the panel. Each
// begins with the program's two-digit number and a space.
#pragma once

#include "instrument_facts.h"

namespace t815 {

extern const char* const programNamesEnglish[kPluginProgramCount];
extern const char16_t* const programNamesRussian[kPluginProgramCount];

} // namespace t815
