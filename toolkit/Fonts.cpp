#include "toolkit/Fonts.h"

const char* const gMacXfontNames[kFontCount] = {"Helvetica", "Helvetica", "Helvetica", "Helvetica",
                                                "Helvetica", "Helvetica", "Helvetica", "Symbol"};

const int32_t gStandardFontSize[kFontCount] = {12, 18, 14, 12, 10, 9, 9, 12};
