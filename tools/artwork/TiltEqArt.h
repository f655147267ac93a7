#pragma once

// The tilt EQ editor's background (128), big knob (129, 61 frames), ring
// knob round it (132, 61 frames), small knob (130, 60 frames) and on/off
// button (131, off above on), laid out after its control table.

#include "tools/artwork/EditorArt.h"

namespace artwork {

class TiltEqArt : public EditorArt {
  public:
    TiltEqArt();

  private:
    void composePreview(const Canvas& editor) const override;
};

} // namespace artwork
