// Writes the Turtle of one LV2 bundle from the unit in its component bundle:
//   lv2turtle COMPONENT_BUNDLE SUBTYPE URI NAME CLASS OUTDIR

#include <cstdio>
#include <exception>
#include <string>

#include "lv2/TurtleWriter.h"

int main(int argc, char** argv)
{
    if (argc != 7 || std::char_traits<char>::length(argv[2]) != 4) {
        std::fprintf(stderr, "usage: lv2turtle COMPONENT_BUNDLE SUBTYPE URI NAME CLASS OUTDIR\n");
        return 2;
    }
    try {
        const char(&code)[5] = *reinterpret_cast<const char(*)[5]>(argv[2]);
        const HostedUnit unit(argv[1], FourCharCode(code));
        TurtleWriter(unit, {argv[3], argv[4], argv[5]}).writeInto(argv[6]);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "lv2turtle: %s\n", failure.what());
        return 1;
    }
    return 0;
}
