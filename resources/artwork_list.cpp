#include "resources/artwork_list.h"

namespace {

constexpr ArtworkEntry bitmaps[] = {
    {"GLOBALBMP", 79, 166},   {"NOTEBMP", 37, 162},     {"LOOPBKGBMP", 125, 20},
    {"LOOPSCTRL1UP", 10, 18}, {"LOOPSCTRL1DN", 10, 18}, {"LOOPSCTRL2UP", 10, 18},
    {"LOOPSCTRL2DN", 10, 18}, {"LOOPSCTRL3UP", 10, 18}, {"LOOPSCTRL3DN", 10, 18},
    {"LOOPSCTRL4UP", 10, 18}, {"LOOPSCTRL4DN", 10, 18}, {"LOOPSCTRL5UP", 10, 18},
    {"LOOPSCTRL5DN", 10, 18}, {"LOOPSCTRL6UP", 10, 18}, {"LOOPSCTRL6DN", 10, 18},
    {"LOOPSCTRL7UP", 10, 18}, {"LOOPSCTRL7DN", 10, 18}, {"LOOPSCTRL8UP", 10, 18},
    {"LOOPSCTRL8DN", 10, 18}, {"UPARROWUP", 7, 9},      {"UPARROWDN", 7, 9},
    {"DNARROWUP", 7, 9},      {"DNARROWDN", 7, 9},      {"ONOFFUP", 17, 17},
    {"ONOFFDN", 17, 17},      {"PLAY2UP", 24, 24},      {"PLAY2DN", 24, 24},
    {"FILEUP", 16, 15},       {"FILEDN", 16, 15},       {"EDITUP", 16, 15},
    {"EDITDN", 16, 15},       {"MIDIUP", 16, 15},       {"MIDIDN", 16, 15},
};

constexpr const char* cursors[] = {
    "PUSHCUR", "UPCUR",   "DNCUR",   "BARHCUR", "BARVCUR", "GENCUR", "TEXTCUR",
    "NOCUR",   "SIZECUR", "HANDCUR", "FCUR",    "ECUR",    "MCUR",
};

}  // namespace

std::span<const ArtworkEntry> bitmapArtwork() {
    return bitmaps;
}
std::span<const char* const> cursorArtwork() {
    return cursors;
}
