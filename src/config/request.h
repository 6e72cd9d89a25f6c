// What the technician asks for, typed and checked whole: the one rule for the branch number, the
// printers and the series lists, which the dialog and the command line both call. Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

// What the technician entered, exactly as typed. A printer without a value was not chosen.
struct ConfigRequest {
    std::wstring branch;
    std::wstring posSeries;
    std::wstring backSeries;
    std::optional<std::wstring> posPrinter;
    std::optional<std::wstring> backPrinter;
    std::wstring uncPos;
    std::wstring uncBack;
    std::vector<std::wstring> headerLines;
};

// The same, read and checked: every field holds what the configuration writes.
struct Request {
    int branch = 0;            // 1..9999
    std::vector<int> pos;      // the POS series, in list order, each once
    std::vector<int> back;     // the back-office series, none also a POS series
    std::wstring posPrinter;
    std::wstring backPrinter;
    std::wstring uncPos;       // may be empty
    std::wstring uncBack;
    std::vector<std::wstring> headerLines;
    bool operator==(const Request& other) const;
};

enum class SeriesList { Pos, Back };
enum class SeriesRule {
    Empty,      // nothing between two commas, or before or after one
    NotNumber,  // anything but the digits 0-9 (a sign, a letter, a blank inside)
    TooLarge,   // more than a 32-bit number holds
    Twice,      // the number came before in the same list
    InBoth,     // the number is in the POS list too
};

// Why a series list is refused: which list, which item (counted from 1, as typed) and the rule.
struct SeriesFault {
    SeriesList list = SeriesList::Pos;
    size_t position = 0;
    std::wstring item;
    SeriesRule rule = SeriesRule::Empty;
};

// The series of one list: cut at commas, blanks around an item dropped, each item a decimal
// whole number without a sign, none twice. An empty text is an empty list.
std::vector<int> SeriesOf(const std::wstring& text, SeriesList list, std::optional<SeriesFault>& fault);

// The refusal in the dialog's language, naming the list as its label does.
std::wstring SeriesFaultText(const SeriesFault& fault);
// The same for the command line, naming the list by its switch (/pos:, /back:).
std::wstring SeriesFaultSwitchText(const SeriesFault& fault);

// A request checked: the typed request, or the first refusal with its code and text.
struct RequestCheck {
    std::optional<Request> request;
    const char* code = nullptr;
    std::wstring text;
    std::optional<SeriesFault> series;  // when the series lists were refused
};

// The entries in the dialog's order: the branch number, the series lists, the POS printer, the
// back-office printer. The first that is refused stops the check.
RequestCheck CheckRequest(const ConfigRequest& entered);

// The branch entry read as a signed decimal number, 0 when it is not one; valid from 1 to 9999.
int BranchNoOf(const std::wstring& text);
bool IsValidBranchNo(int branchNo);
// The refusal of a branch number outside 1..9999.
std::wstring BranchRefusal(int branchNo);
