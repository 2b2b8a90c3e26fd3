#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/rect.h"

class QWidget;

// Small helpers shared by the whole program. Each keeps an exact rule that its callers rely
// on.

// Bitmaps stay loaded on this platform.
bool IsWindowsNT();
// Compared as unsigned numbers, so a negative v lies above every range that ends below 2^31.
bool InRange(std::uint32_t lo, std::uint32_t v, std::uint32_t hi);
// The program's one kind of message: a box titled "NOTE!" with an OK button and no owner.
int ShowNote(const std::string& text);
// Flips the bits in the window's style word; returns the new word.
std::uint32_t ToggleStyle(QWidget* window, std::uint32_t bits);
// Gives the window the outer size that this client area needs, without moving it, and puts
// it on top of the others.
void ResizeToClient(QWidget* window, const platform::Rect& client);
// Moves the window's outer corner to (x, y), keeping its size and stacking.
bool MoveWindowTo(QWidget* window, int x, int y);
// Moves the window by (dx, dy), each taken as a 16-bit signed number.
void MoveWindowBy(QWidget* window, int dx, int dy);
// Whether the button or key is down at the moment of the call.
bool IsLeftButtonDown();
bool IsAltDown();
bool IsCtrlDown();
bool IsShiftDown();
std::string IntToString(int v);
// The leading decimal integer (blanks skipped, optional sign, 0 when there is none); a
// number beyond the int range gives the nearer end of it.
int StringToInt(const std::string& s);
// "%.3f" when the value has a fractional part, else "%.0f".
std::string FloatToString(float v);
// The leading number as the C library reads it, narrowed to float; a number beyond the float
// range gives the largest float of its sign, and a text that reads as "nan" gives 0.
float StringToFloat(const std::string& s);
// 0 to n - 1 from the C library's generator; 0 when n is not positive.
int RandomBelow(int n);
// Truncates, then adds 1 when the part cut off is at least 0.5, so negative values round
// toward zero (-2.7 gives -2). NaN gives 0; values beyond the int range give its nearer end.
int RoundHalfUp(double v);
