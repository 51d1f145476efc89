// A position with a heading: the player's camera and every enemy.
#pragma once
#include "math3d/Matrix.h"

class CPose : public CVector {
public:
    CPose() = default; // at (0, 0, 0), heading 0
    CPose(const CPose&) = default;
    CPose& operator=(const CPose&) = default;
    ~CPose() override = default;

    // Adds delta degrees and wraps the heading into [0, 360]. A heading of
    // exactly 360 stays 360. A delta that would make the heading infinite or
    // NaN is ignored.
    void Turn(double delta);
    // Moves along the heading on the floor plane; y never changes.
    void MoveForward(double distance);
    // Moves across the heading on the floor plane, to the right for a
    // positive distance; y never changes.
    void MoveRight(double distance);
    // SetView from this position and heading.
    CMatrix GetViewMatrix() const;

    double heading = 0.0; // degrees
};
