#include "import/AviReader.h"
#include "import/VideoPicture.h"

// There is no system video library here; our own reader of uncompressed AVI files stands in.
bool LoadSystemVideoLibrary(VideoEntryPoints& table) {
    table = AviReaderEntryPoints();
    return true;
}
