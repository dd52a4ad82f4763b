#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The one conversion from text to integer used by every number field and the script
// reader: leading blanks, then an optional sign and decimal digits (from -2147483648 to
// 2147483647), or "$" and one to eight hex digits taken as a 32-bit pattern; nothing after.
std::optional<std::int32_t> tryStrToInt(const QString& text);

// As tryStrToInt, raising ConversionError ("'%s' is not a valid integer value").
std::int32_t StrToInt(const QString& text);

// Plain signed decimal text.
QString IntToStr(std::int32_t value);
