// Text files read as lists of lines. Pure.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Lines of a text: CR LF, a lone CR or a lone LF ends a line; a NUL ends the text; a final
// line break does not start another (empty) line.
std::vector<std::wstring> SplitTextLines(std::wstring_view text);

// The lines sorted ascending under the user's locale without regard to case, a line equal to
// one already taken dropped (the first one read stays), each written with CR LF.
std::wstring SortedUniqueLinesText(std::wstring_view text);
