// Compiled in a layer's include context with VOK_HEADER naming one header;
// whether it compiles tells whether the layer may include that header.
#include VOK_HEADER
