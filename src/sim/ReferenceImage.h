// Reference images: the screens a design is held to, and how a rendered screen is compared with
// one.
//
//   ErrorOr<void> written = zovo::writeReferencePNG(frame, "refs/demo/1-message.png");
//   ErrorOr<Frame> expected = zovo::loadReferencePNG("refs/demo/1-message.png");
//   zovo::PixelDifference d = zovo::compareFrames(*expected, frame, 0.1, nullptr);
//   if (d.differing > maxDiffPixels) { /* the look changed */ }
//
// Distance between two colours is the YIQ distance that perceptual diff tools use (luma weighed
// about twice as heavily as the two chroma axes), with each colour first laid over white so that
// transparency counts, and normalised so that the two most different colours are 1 apart (black
// and white are 0.966). A threshold of 0 counts every changed pixel; 0.1 forgives what the eye
// barely sees.
//
// A reference file is an ordinary PNG, written small (zlib's best level, adaptive filters, no alpha
// channel for an opaque screen). It also carries a private ancillary chunk, `zvPX`, holding a hash
// of its pixels and of its compressed data; an identical rendering is recognised from the chunk
// without decoding the picture, which is most of the cost of a check. The chunk is marked unsafe to
// copy, so an editor that changes the pixels drops it, and a file whose compressed data no longer
// matches its chunk is decoded and compared in full.
#pragma once

#include "foundation/ErrorOr.h"
#include "render/Frame.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace zovo {

// The distance between two colours, from 0 (the same) to 1 (the most different pair).
double colourDistance(RGBA8 a, RGBA8 b);

struct PixelDifference {
    std::uint64_t differing = 0; // pixels whose distance is over the threshold
    double largest = 0;          // the largest distance seen
};

// Compares two frames of one size pixel by pixel; a pixel differs when its distance is over
// `threshold`. When `diff` is given it becomes a picture of the difference: `expected` faded to a
// pale grey, with the differing pixels in red and those within the threshold but not identical
// in yellow. Precondition: the frames are the same size.
PixelDifference compareFrames(const Frame& expected, const Frame& actual, double threshold, Frame* diff);

// A 64-bit hash of the frame's pixels (not its padding): equal frames hash equal.
std::uint64_t pixelHash(const Frame& frame);

// Writes `frame` as a reference PNG, creating the folder; errors name the file.
ErrorOr<void> writeReferencePNG(const Frame& frame, const std::filesystem::path& file);

// Reads a reference PNG into a frame at `scale`; errors name the file and say what is wrong (missing,
// unreadable, not a PNG, damaged).
ErrorOr<Frame> loadReferencePNG(const std::filesystem::path& file, double scale = 1);

// Whether the file is a reference whose chunk vouches for exactly these pixels: a cheap check that
// reads the file but decodes nothing. False for any file it cannot vouch for (an error included).
bool referenceVouchesFor(const std::filesystem::path& file, const Frame& frame);

} // namespace zovo
