#pragma once

// One editor's bitmaps by resource id, and a picture of the editor made of
// them the way the toolkit draws it, to look at before the editor runs.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/artwork/Canvas.h"

namespace artwork {

class EditorArt {
  public:
    // "flanger" or "tilteq"; null for any other name.
    static std::unique_ptr<EditorArt> forUnit(std::string_view unit);

    virtual ~EditorArt() = default;

    // bmp%05d.png for each bitmap, into the folder dir; false when one
    // cannot be written.
    bool writeBitmaps(const std::string& dir) const;
    bool writePreview(const std::string& path) const;

  protected:
    struct Bitmap {
        int id;
        std::unique_ptr<Canvas> canvas;
    };

    const Canvas& bitmap(int id) const;
    virtual void composePreview(const Canvas& editor) const = 0;

    // A film strip's frame for value at left, top, chosen as the toolkit's
    // animated knob chooses it.
    void drawFrame(const Canvas& editor, int id, int left, int top, int frameHeight, int frames,
                   double value) const;
    // A text control with the toolkit's plain look: filled, outlined,
    // the text centred in Helvetica of the given size.
    static void drawTextBox(const Canvas& editor, int left, int top, int width, int height, const char* text,
                            double size, const Rgb& font, const Rgb& back, const Rgb& frame);

    std::vector<Bitmap> bitmaps;
};

} // namespace artwork
