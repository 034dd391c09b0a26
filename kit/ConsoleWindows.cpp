// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
// Console decisions on Windows. Standard input and output stay in text mode, so the C runtime writes each
// line end as CR LF and reads CR LF as one line end; the encoding follows the console's output code page.
#include <windows.h>

#include "ModulDos.h"

Charset DetectCharset() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    const bool isConsole = output != INVALID_HANDLE_VALUE && output != nullptr && GetConsoleMode(output, &mode) != 0;
    return WindowsCharset(isConsole, isConsole ? GetConsoleOutputCP() : 0);
}
