// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Console decisions on POSIX systems. Line ends are the system's own: a line feed.
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <string>

#include "ModulDos.h"

Charset DetectCharset() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    Charset charset = Charset::DosCodePage;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        const char* codeset = nl_langinfo(CODESET);
        if (codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0)) {
            charset = Charset::Utf8;
        }
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return charset;
}
