#pragma once
// Sizes of the window are stated in twips; 15 twips are one pixel at 96 dots per inch.
namespace tessarin {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

}  // namespace tessarin
