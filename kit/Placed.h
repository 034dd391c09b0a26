// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstddef>
#include <cstdint>

// A regular file written at places of the program's choosing, from several threads at once (POSIX; elsewhere
// no file is placed and the caller writes on through its stream).
namespace kit {

// The descriptor again, and at the place its next byte goes, where it is a regular file opened to write at
// any place (not to append); -1 otherwise.
int StartPlacing(int descriptor, std::uint64_t& at);

// All size bytes of text at place at; false when the system refuses (a full disc).
bool WriteAt(int descriptor, const char* text, std::size_t size, std::uint64_t at);

// The descriptor's place moved past what was written at places.
bool EndPlacing(int descriptor, std::uint64_t at);

}  // namespace kit
