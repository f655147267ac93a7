#pragma once

// The flanger editor's background (128) and knob strip (129, 80 frames of 49
// pixels), laid out after its control table.

#include "tools/artwork/EditorArt.h"

namespace artwork {

class FlangerArt : public EditorArt {
  public:
    FlangerArt();

  private:
    void composePreview(const Canvas& editor) const override;
};

} // namespace artwork
