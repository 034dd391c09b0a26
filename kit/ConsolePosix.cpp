// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Console decisions on POSIX systems. Line ends are the system's own: a line feed.
#include <clocale>
#include <cstdlib>
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
    } else {
        // A locale named but never generated (usual in containers, where only C.UTF-8 exists): the terminal
        // still shows what the name says, and DOS code page bytes there would come out as "f\x81r".
        charset = LocaleNameCharset(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    return charset;
}
