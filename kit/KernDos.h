// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once
#include <cstdint>
#include <string>

#include "ModulDos.h"

// Reads text as a real number: blanks, a sign, digits with at most one full stop, an exponent; nothing may follow.
// Read at extended precision; false (value untouched) if the text is not such a number or lies beyond a double.
// Commas are not full stops here: AskReal replaces them first.
bool ReadReal(const std::string& text, double& value);

// How far a text reads as a whole number: blanks, then a signed decimal or $, x, X, 0x, 0X and 1..8 hex digits.
struct IntegerScan {
    bool complete;       // the whole text is a number that fits 32 bits
    std::int32_t value;  // the number, when complete (hex digits as a two's-complement pattern)
    std::int64_t digitsValue;  // otherwise: the digits read before the first unreadable one, without sign; 0 if none
};
IntegerScan ScanInteger(const std::string& text);
// Reads text as a 32-bit whole number (see ScanInteger); false (value untouched) if it is not one.
bool ReadInteger(const std::string& text, std::int32_t& value);

// Asks until the answer reads as a real (commas count as full stops; the answer keeps them); a bell per refusal.
// A line longer than MaxAnswerBytes is refused, whatever its first bytes say. False at end of input.
bool AskReal(Console& io, const std::string& prompt, std::string& answer, double& value);
// Asks until the answer reads as a 32-bit whole number; a bell per refusal, a line longer than MaxAnswerBytes
// refused as in AskReal. False at end of input.
bool AskInteger(Console& io, const std::string& prompt, std::string& answer, std::int32_t& value);
