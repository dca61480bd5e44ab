// The rename rule: a pattern of placeholders and a tag make a file name.
#pragma once

#include "tag/Field.h"

#include <string>
#include <string_view>

class CId3v1Tag;

// %1 artist, %2 title, %3 album, %4 year, %5 genre, %6 comment; ".mp3" is
// always appended; characters file names cannot hold are mapped afterwards.
std::string MakeFileName(std::string_view pattern, const CId3v1Tag& tag);
// The name MakeFileName gives, as the host holds names: converted from the
// code page to UTF-8. This is what a renamed file is called on disk.
std::string MakeHostFileName(std::string_view pattern, const CId3v1Tag& tag);
// The same with the tag's six getter values, by Field, already read.
std::string MakeFileName(std::string_view pattern, const FieldArray<std::string>& values);

// Steps 1 and 2 of the rule with the given six values and no mapping
// (the settings dialog's example).
std::string FillPattern(std::string_view pattern, const FieldArray<std::string>& values);

// Replaces every occurrence of what in text, left to right, without overlap.
void ReplaceAll(std::string& text, std::string_view what, std::string_view with);
