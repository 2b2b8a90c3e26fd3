#pragma once

#include <span>

// Every piece of monochrome artwork the program has, by resource name, at the size the
// panels are laid out for.
struct ArtworkEntry {
    const char* name;
    int width;
    int height;
};

std::span<const ArtworkEntry> bitmapArtwork();
// The cursors, each with its mask and hot spot.
std::span<const char* const> cursorArtwork();
