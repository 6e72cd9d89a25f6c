// The clipboard, for text.
#pragma once
#include <windows.h>

#include <string>

// Replaces the clipboard's contents with the text (CF_UNICODETEXT); false when the clipboard
// could not be had (another program holds it) or the memory not allocated.
bool PutTextOnClipboard(HWND owner, const std::wstring& text);
