// Job-information files ("_i.pri" beside each ".prn") and the forwarding directive in their
// "ToDoStr" entry. Pure: reading the file itself is ReadJobInfo in analysis.h.
#pragma once
#include <string>
#include <string_view>

// The job-information file of a print file: the path without its last six characters,
// followed by "_i.pri" (job_x.prn gives job_i.pri). Callers pass at least six characters.
std::wstring JobInfoFileName(std::wstring_view printFilePath);

// True when the value's first eight characters are "FWDVORLA", in any letter case.
bool IsForwardingDirective(std::wstring_view value);

// Token 4 of a forwarding directive (tokens end at '"', ':', ':', and ':' or tab; runs of a
// token's delimiters count as one), or the empty text when any of the four tokens is missing.
std::wstring DirectiveDestination(std::wstring_view value);

// "%s_COPY": the direction that the analysis shows for a destination.
std::wstring CopyDirection(std::wstring_view destination);

// Finds the value of one name=value entry in the bytes of a job-information file, fed in
// pieces of any size. Lines end at CR LF, CR or LF; a NUL byte ends the text; the first line
// whose name equals the wanted name (ASCII letters in any case, no trimming) counts.
// Memory stays bounded whatever the file holds: other lines are skipped as they stream past,
// and the wanted value is kept up to MaxValueBytes (a real directive is a few dozen bytes; the
// destination is its fourth token, so a cap of 64 KiB cannot hide one).
class EntryScanner {
public:
    static constexpr size_t MaxValueBytes = 64 * 1024;
    explicit EntryScanner(std::string_view name);
    // Feeds the next piece; returns true once the answer is known (more bytes change nothing).
    bool Feed(std::string_view bytes);
    // Call after the last piece. The value's bytes, or empty when no line matched.
    std::string Value() const { return value_; }
    bool Done() const { return state_ == State::Done; }

private:
    enum class State { LineStart, Name, Value, SkipLine, AfterCr, Done };
    std::string name_;
    State state_ = State::LineStart;
    size_t matched_ = 0;
    bool nameOk_ = true;
    std::string value_;
};

// The "ToDoStr" value of a whole file's bytes (convenience for tests and small inputs).
std::string FindToDoStr(std::string_view bytes);
