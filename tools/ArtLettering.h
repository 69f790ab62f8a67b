#pragma once

#include "ArtCanvas.h"

// Stroked capital letters for the logo and the credits, drawn from line segments and arcs,
// antialiased. Letters: A B E K L N O R T V and the space; any other character is skipped
// with the width of a space.

// Width of text at the given cap height, in pixels.
double ArtTextWidth(const char* text, double height);
// Draws text with its top-left corner at (x, y), cap height height, stroke width stroke.
void ArtDrawText(ArtCanvas* canvas, const char* text, double x, double y, double height, double stroke,
                 const ArtColor& color);
