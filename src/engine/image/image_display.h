// An image on the screen: automatic black level and range from the
// histogram, the grey picture at zoom 1, 1/2 and 1/4 with the flips, the
// pointer read-out and the magnifier's crop. Plain buffers in and out.
#pragma once

#include <cstdint>
#include <string>

#include "image/fits_image.h"
#include "image/plate_solution.h"

namespace lumenda {

// Zoom codes as the settings store them (FOTOZ): 1, 5 (X 0.5), 25 (X 0.25).
inline constexpr int kZoom1 = 1;
inline constexpr int kZoomHalf = 5;
inline constexpr int kZoomQuarter = 25;
// The factor of a zoom code; any other code is zoom 1.
double ZoomFactor(int zoomCode);

// Black level ("Fondo") and range ("Rango") in ADU, with the limits of their
// scroll bars.
struct DisplayLevels {
  int fondo = 1;
  int rango = 54;
  int fondoMin = 0, fondoMax = 2;
  int rangoMin = 11, rangoMax = 135;
};

// From the histogram of all non-zero pixels in bins of 10 ADU: the black
// level just above the first bin holding more than 9 pixels, the range 3.6
// times the distance from there to the fullest bin (at least 15 ADU). When no
// bin holds more than 9 pixels (a tiny or nearly blank image) the first
// non-empty bin is taken instead, and an image of zeros gets the levels of
// an empty histogram (Fondo 1, Rango 54).
DisplayLevels AutoLevels(const TPlaca& image);

struct DisplayView {
  int fondo = 1;
  int rango = 54;
  int zoomCode = kZoom1;
  bool flipX = false;
  bool flipY = false;
};

// Picture size along an axis of `size` pixels: rnd((size - 1) * zoom + 1).
int PictureExtent(int size, int zoomCode);

// Renders the picture, PictureExtent(width) x PictureExtent(height) pixels,
// into `out` (rows `stride` pixels apart) as 0xFFgggggg. At zoom 1/2 and 1/4
// each picture pixel is the mean of a 2 x 2 or 4 x 4 block starting at image
// column and row 0 (of the block's pixels inside the image; a block with
// none stays grey 127). Grey = rnd((value - Fondo) / Rango * 255) in 0..255.
// The flips mirror the picture.
void RenderPicture(const TPlaca& image, const DisplayView& view, uint32_t* out, int stride);

// The labels under the picture for the pointer at picture pixel (px, py):
// "X: ", "Y: " (image pixels, rnd(p / zoom)), "I: " (the value shown there),
// and "AR: ", "DEC: " from the plate solution (empty without one).
struct PointerReadout {
  int x = 0;
  int y = 0;
  std::string xText, yText, iText, arText, decText;
};
PointerReadout ReadPointer(const TPlaca& image, const PlateReading& plate, const DisplayView& view,
                           int px, int py);

// The magnifier: a square of the picture around the pointer, drawn scaled
// on a 255 x 255 window with a cross-hair.
inline constexpr int kMagnifierSize = 255;
struct MagnifierCrop {
  int left = 0;  // picture pixels
  int top = 0;
  int side = 0;
  int centre = 128;  // of the cross-hair, in magnifier pixels
};
// Magnification 3 shows +-42 picture pixels around the pointer (cross-hair
// centre 128), magnification 5 shows +-25 (centre 129).
MagnifierCrop MagnifierSource(int px, int py, int magnification);
// The cross-hair's strokes run from this many pixels off the centre to that
// many.
inline constexpr int kCrossHairOuter = 30;
inline constexpr int kCrossHairInner = 10;

}  // namespace lumenda
