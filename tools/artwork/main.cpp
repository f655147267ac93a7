// Draws the editors' bitmaps, the same bytes on every run:
//   artwork flanger|tilteq FOLDER            writes bmp00128.png and the rest
//   artwork preview flanger|tilteq FILE.png  the editor as it will look

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstring>

#include "tools/artwork/EditorArt.h"

namespace {

int usage()
{
    std::fputs("usage: artwork flanger|tilteq FOLDER\n       artwork preview flanger|tilteq FILE.png\n",
               stderr);
    return 2;
}

bool run(int argc, char** argv)
{
    const bool preview = argc == 4 && std::strcmp(argv[1], "preview") == 0;
    const auto art = artwork::EditorArt::forUnit(argv[preview ? 2 : 1]);
    if (!art) return false;
    const char* target = argv[preview ? 3 : 2];
    if (preview ? art->writePreview(target) : art->writeBitmaps(target)) return true;
    std::fprintf(stderr, "artwork: cannot write %s\n", target);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) return usage();
    const bool done = run(argc, argv);
    // What Cairo and fontconfig keep for the process, released so that leak
    // checkers see none.
    cairo_debug_reset_static_data();
    FcFini();
    return done ? 0 : 1;
}
