// Scan conversion: the row loops that turn collected edges into spans and, for smoothed
// fills, 5x5 coverage.
#pragma once

#include "render/raster/EdgeCollector.h"

// Fills the collected edges with the current fill: sorts them, selects the pipeline,
// extends the changed box and runs the rows. Returns 0 or -1 (error recorded).
int FillCollectedEdges(const EdgeCollector& edges, int style);
