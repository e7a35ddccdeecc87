// The factory programs' names in English (for the host) and Russian (for the
// panel). This file is UTF-8; the Russian names are UTF-16 literals.
#include "program_names.h"

namespace t815 {

const char* const programNamesEnglish[kPluginProgramCount] = {
    "00 El. Piano",   "01 Jazz Piano", "02 F. Piano",    "03 Piano",       "04 Harmonika",
    "05 Accordion",   "06 Organ",      "07 Pipe Organ",  "10 Jazz Organ",  "11 F. Organ",
    "12 Hammond 1",   "13 Hammond 2",  "14 Synth Organ", "15 Brass Organ", "16 Brass",
    "17 French Horn", "20 Flute",      "21 Piccolo",     "22 Clarinet",    "23 Oboe",
    "24 Cosmic",      "25 Fantastic",  "26 Slap Synth",  "27 Blues Synth", "30 Harpsichord",
    "31 Clavinet",    "32 Harpsi",     "33 El. Bass",    "34 Jazz Bass",   "35 Bass",
    "36 Music Box",   "37 Synth Bass",
};

const char16_t* const programNamesRussian[kPluginProgramCount] = {
    u"00 ЭЛ. ПИАНО", u"01 ДЖ. ПИАНО", u"02 Ф. ПИАНО",    u"03 ПИАНО",       u"04 ГАРМОНИКА",
    u"05 АККОРДЕОН", u"06 ОРГАН",     u"07 ДУХ. ОРГАН",  u"10 ДЖ. ОРГАН",   u"11 Ф. ОРГАН",
    u"12 ХАММОНД 1", u"13 ХАММОНД 2", u"14 СИНТ. ОРГАН", u"15 БРАСС ОРГАН", u"16 БРАСС",
    u"17 ВАЛТОРНА",  u"20 ФЛЕЙТА",    u"21 ПИККОЛО",     u"22 КЛАРНЕТ",     u"23 ГОБОЙ",
    u"24 КОСМИК",    u"25 ФАНТАСТИК", u"26 СЛАПСИНТ",    u"27 БЛЮЗСИНТ",    u"30 КЛАВЕСИН",
    u"31 КЛАВИНЕТ",  u"32 ХАРПСИ",    u"33 ЭЛ. БАС",     u"34 ДЖ. БАС",     u"35 БАС",
    u"36 МУЗ. БОКС", u"37 СИНТ. БАС",
};

} // namespace t815
