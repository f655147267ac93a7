#include "tools/artwork/EditorArt.h"

#include <cstdio>
#include <stdexcept>

#include "tools/artwork/FlangerArt.h"
#include "tools/artwork/TiltEqArt.h"

namespace artwork {

std::unique_ptr<EditorArt> EditorArt::forUnit(std::string_view unit)
{
    if (unit == "flanger") return std::make_unique<FlangerArt>();
    if (unit == "tilteq") return std::make_unique<TiltEqArt>();
    return nullptr;
}

bool EditorArt::writeBitmaps(const std::string& dir) const
{
    for (const Bitmap& each : bitmaps) {
        char name[16];
        std::snprintf(name, sizeof name, "bmp%05d.png", each.id);
        if (!each.canvas->writePng(dir + "/" + name)) return false;
    }
    return true;
}

bool EditorArt::writePreview(const std::string& path) const
{
    const Canvas& background = bitmap(128);
    const Canvas editor(background.width(), background.height(), false);
    cairo_set_source_surface(editor.cr(), background.surface(), 0, 0);
    cairo_paint(editor.cr());
    composePreview(editor);
    return editor.writePng(path);
}

const Canvas& EditorArt::bitmap(int id) const
{
    for (const Bitmap& each : bitmaps)
        if (each.id == id) return *each.canvas;
    throw std::logic_error("no bitmap " + std::to_string(id));
}

void EditorArt::drawFrame(const Canvas& editor, int id, int left, int top, int frameHeight, int frames,
                          double value) const
{
    const Canvas& strip = bitmap(id);
    const auto span = static_cast<float>((frames - 1) * frameHeight);
    int y = static_cast<int>(static_cast<float>(value) * span);
    y -= y % frameHeight;
    cairo_t* cr = editor.cr();
    cairo_save(cr);
    cairo_rectangle(cr, left, top, strip.width(), frameHeight);
    cairo_clip(cr);
    cairo_set_source_surface(cr, strip.surface(), left, top - y);
    cairo_paint(cr);
    cairo_restore(cr);
}

void EditorArt::drawTextBox(const Canvas& editor, int left, int top, int width, int height, const char* text,
                            double size, const Rgb& font, const Rgb& back, const Rgb& frame)
{
    cairo_t* cr = editor.cr();
    cairo_rectangle(cr, left, top, width, height);
    editor.setSource(back);
    cairo_fill(cr);
    cairo_rectangle(cr, left + 0.5, top + 1.5, width - 1, height - 1.5);
    cairo_set_line_width(cr, 1);
    editor.setSource(frame);
    cairo_stroke(cr);
    const int baseline = top + height + static_cast<int>(size) / 2 - height / 2 - 1;
    editor.text(text, left + width / 2.0, baseline, TextStyle{size, false, font, 0, "Helvetica"},
                Align::Centre);
}

} // namespace artwork
