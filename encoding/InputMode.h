#pragma once

// How the bytes of a loaded playlist are read: ANSI mode takes each byte as a
// Windows-1251 character, UTF-8 mode passes every line through DecodeUTF8.
enum class InputMode {
    Ansi,
    Utf8,
};
