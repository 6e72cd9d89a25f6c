// The version of a program file as its version resource's fixed part gives it.
#pragma once
#include <optional>
#include <string>

// The fixed part's file version of the module at path as four decimal numbers "a.b.c.d"
// (the high and low words of its upper half, then of its lower half). Nothing when the file
// cannot be read, has no version resource, or the resource has no whole fixed part.
std::optional<std::wstring> FixedFileVersion(const std::wstring& path);
