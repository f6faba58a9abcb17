// Sine and cosine for the scene's motion, computed by our own code so that every build
// (native and the 32-bit Windows one, whose C library computes them differently) turns the
// same clock value into the same matrices and therefore the same pixels.
#pragma once

// Both are accurate to about one unit in the last place for |x| below 2^19 · π/2 and stay
// deterministic (but lose accuracy) beyond; not-a-number and infinities give not-a-number.
double SceneSin(double x);
double SceneCos(double x);
