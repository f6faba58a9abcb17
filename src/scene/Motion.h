// The four motion patterns. Each frame an object's model matrix is rebuilt from scratch as
// a pure function of the clock t, its speed and its phases, so any clock value always gives
// the same picture. The operations multiply on the right, so the last one applied acts
// first on the vertices. A style outside 0..3 leaves the model matrix the identity.
#pragma once

#include "scene/Matrix.h"

// π/180: phases and clock are in clock units; A = (t × speed + phase) × this.
constexpr double kDegreeToRadian = 3.141592653589793 * 0.005555555555555556;

void BuildBoxMotion(Matrix* model, int style, double t, double speed, double firstPhase,
                    double secondPhase);
void BuildCubeMotion(Matrix* model, int style, double t, double speed, double phase);
