// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Placed.h"

#if defined(__unix__) || defined(__APPLE__)
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kit {

#if defined(__unix__) || defined(__APPLE__)
int StartPlacing(int descriptor, std::uint64_t& at) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || (flags & O_APPEND) != 0) return -1;
    const off_t here = lseek(descriptor, 0, SEEK_CUR);
    if (here < 0) return -1;
    at = static_cast<std::uint64_t>(here);
    return descriptor;
}

bool WriteAt(int descriptor, const char* text, std::size_t size, std::uint64_t at) {
    while (size > 0) {
        const ssize_t wrote = pwrite(descriptor, text, size, static_cast<off_t>(at));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        text += wrote, size -= static_cast<std::size_t>(wrote), at += static_cast<std::uint64_t>(wrote);
    }
    return true;
}

bool EndPlacing(int descriptor, std::uint64_t at) { return lseek(descriptor, static_cast<off_t>(at), SEEK_SET) >= 0; }
#else
int StartPlacing(int, std::uint64_t&) { return -1; }
bool WriteAt(int, const char*, std::size_t size, std::uint64_t) { return size == 0; }
bool EndPlacing(int, std::uint64_t) { return true; }
#endif

}  // namespace kit
