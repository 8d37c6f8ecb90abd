// A one-pass reader and writer for the XML property lists that hold settings: objects are built
// straight from the text and text straight from the objects, with no tree in between, so a file
// of tens of megabytes costs about its own size in memory and a fraction of a second.
//
// Both cover a plain subset of the format and decline anything outside it, leaving that to the
// general (libplist) path, which then reads, writes or refuses it exactly as it always has. What
// they do take, they read and write as the general path does, to the byte.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "objc/NSObject.h"

// Reads `text` if it is a plain XML property list: an optional XML declaration and doctype as
// the writer writes them, a <plist> element holding one value, white space between elements, and
// values that are dictionaries, arrays, strings (UTF-8 text with the five named entities), <true/>,
// <false/> and short decimal integers. Nil for anything else (comments, CDATA, character
// references, reals, data, dates, damaged text...). Containers nested `maxNesting` deep are
// declined too. Equal short strings are shared: they are immutable.
Ref<NSObject> readPlainXMLPropertyList(std::string_view text, int maxNesting);

// Writes `plist` as the XML property list the general writer makes, if it holds only
// dictionaries, arrays, strings, booleans and integers, all text writable in XML, nested less than
// `maxNesting` deep. False (and `out` untouched) for anything else.
bool writePlainXMLPropertyList(const NSObject* plist, int maxNesting, std::vector<unsigned char>& out);

// Whether `text` is, byte for byte, what writePlainXMLPropertyList writes for `plist`: then it
// reads back as `plist`, and need not be read. Costs no memory.
bool isPlainXMLPropertyListOf(const NSObject* plist, int maxNesting, std::string_view text);
