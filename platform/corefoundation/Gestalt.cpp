// Gestalt: a fixed system version, and nothing else.

#include "platform/corefoundation/CoreServices.h"

OSErr Gestalt(OSType selector, int32_t* response)
{
    if (!response) return -50;
    if (selector != gestaltSystemVersion) return gestaltUndefSelectorErr;
    *response = 0x1049;
    return 0;
}
