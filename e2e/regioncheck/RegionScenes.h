// The fills regioncheck draws: flat colours, pictures of every source depth mapped
// affinely and in perspective, edge modes, light intensities and transparency, all
// through the drawing region's operations as the scene uses them.
#pragma once

class RastelRegion;

// Draws the whole set into the region (already initialised, between BeginFrame and
// EndFrame). The region's rectangle should be at least 160 x 120.
void DrawRegionScenes(RastelRegion& region);
