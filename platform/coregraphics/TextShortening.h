// Text cut down to what a rectangle can show before it is laid out: laying out a whole 60 MB
// label, or a letter carrying 200,000 accents, takes minutes and gigabytes for a few visible
// glyphs. Drawing files only.
#pragma once

#include <cstddef>
#include <string>

#include "coregraphics/CGContext.h"

// Most combining marks kept on one character: more only pile up on the same spot (and make
// laying out slower with every one).
inline constexpr size_t kMostMarksPerCharacter = 30;

// How many characters (a base and its marks) text drawn `width` points wide (0: unlimited) in
// `lines` lines (0: as many as `height` holds, or a fixed many) with `font` can show at most,
// generously: no glyph is narrower than an eighth of the font's size.
size_t mostCharactersShown(const CGFontSpec& font, double width, int lines, double height);

// The text to lay out in place of `text`: unchanged when it is no longer than `most` characters
// and no character carries more than kMostMarksPerCharacter marks; otherwise the marks beyond
// that are dropped and the text is cut to `most` characters where `lineBreak` would lose them
// (the head, the middle, else the tail), an ellipsis marking the cut. True when it changed.
bool shortenForDisplay(const std::string& text, size_t most, CGLineBreak lineBreak, std::string& out);
