#pragma once
// Depth pre-pass: the scene's depth is laid down first by a program that
// only writes depth, so that the expensive lit program, drawn afterwards with
// GL_LEQUAL and no depth writes, shades each visible pixel once instead of
// every surface behind it as well. Clear texels (and, for cut-out foliage,
// everything softer than the cut-out) leave no depth, as the lit program
// discards them too.

#include "render/ShaderProgram.h"

class ImportObject;
struct Frustum;

class DepthPrepass {
public:
    // Builds the depth-only program with the lit program's attribute
    // locations, so each object's lit vertex array serves both.
    explicit DepthPrepass(const ShaderProgram& litProgram);

    // Selects the program with the lit program's current view, projection
    // and water level: whoever set up the lit pass set up this one too, and
    // identical inputs give identical depths.
    void begin();
    // Draws the object's depth where it passes the frustum test, leaving out
    // texels with less than minimumAlpha.
    void draw(ImportObject& object, const Frustum& frustum, float minimumAlpha);

private:
    const ShaderProgram& litProgram;
    ShaderProgram program;
    GLint litViewLocation, litProjectionLocation, litWaterLevelLocation;
    GLint modelMatrixLocation, viewMatrixLocation, projectionMatrixLocation, waterLevelLocation;
    GLint texCountLocation, minimumAlphaLocation;
    float lastMinimumAlpha = -1.0f;
};
