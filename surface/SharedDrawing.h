#pragma once
// The three drawing resources the print control creates once and every page
// surface and printer cell shares: a white brush, a black brush (the frame
// brush) and a black pen two pixels wide.
#include "host/Dc.h"

struct SharedDrawing {
  host::Brush whiteBrush = host::Brush::solid(host::Rgb::white);
  host::Brush frameBrush = host::Brush::solid(host::Rgb::black);
  host::Pen blackPen = host::Pen::solid(host::Rgb::black, 2);
};
