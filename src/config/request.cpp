#include "config/request.h"

#include <algorithm>
#include <limits>

#include "common/codes.h"
#include "common/text.h"
#include "config/configure.h"

namespace {

std::wstring_view WithoutBlanks(std::wstring_view item)
{
    const size_t first = item.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    return item.substr(first, item.find_last_not_of(L" \t") - first + 1);
}

// The item's number, or the rule it breaks (Empty, NotNumber, TooLarge).
std::optional<SeriesRule> ReadSeries(std::wstring_view item, int& number)
{
    if (item.empty())
        return SeriesRule::Empty;
    long long value = 0;
    for (wchar_t c : item) {
        if (c < L'0' || c > L'9')
            return SeriesRule::NotNumber;
        value = value * 10 + (c - L'0');
        if (value > std::numeric_limits<int>::max())
            return SeriesRule::TooLarge;
    }
    number = static_cast<int>(value);
    return std::nullopt;
}

bool Holds(const std::vector<int>& numbers, int number)
{
    return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

}  // namespace

bool Request::operator==(const Request& other) const
{
    return branch == other.branch && pos == other.pos && back == other.back && posPrinter == other.posPrinter &&
           backPrinter == other.backPrinter && uncPos == other.uncPos && uncBack == other.uncBack &&
           headerLines == other.headerLines;
}

std::vector<int> SeriesOf(const std::wstring& text, SeriesList list, std::optional<SeriesFault>& fault)
{
    std::vector<int> numbers;
    const std::vector<std::wstring> items = SplitList(text, L",");
    for (size_t i = 0; i < items.size(); ++i) {
        int number = 0;
        std::optional<SeriesRule> broken = ReadSeries(WithoutBlanks(items[i]), number);
        if (!broken && Holds(numbers, number))
            broken = SeriesRule::Twice;
        if (broken) {
            fault = SeriesFault{list, i + 1, items[i], *broken};
            return {};
        }
        numbers.push_back(number);
    }
    return numbers;
}

namespace {

const wchar_t* GreekRule(SeriesRule rule)
{
    switch (rule) {
    case SeriesRule::Empty: return L"είναι κενή";
    case SeriesRule::NotNumber: return L"δεν είναι ακέραιος αριθμός χωρίς πρόσημο";
    case SeriesRule::TooLarge: return L"είναι πολύ μεγάλος αριθμός";
    case SeriesRule::Twice: return L"δίνεται δύο φορές";
    case SeriesRule::InBoth: return L"δίνεται και στις σειρές POS";
    }
    return L"";
}

const wchar_t* EnglishRule(SeriesRule rule)
{
    switch (rule) {
    case SeriesRule::Empty: return L"is empty";
    case SeriesRule::NotNumber: return L"is not a decimal whole number without a sign";
    case SeriesRule::TooLarge: return L"is too large a number";
    case SeriesRule::Twice: return L"comes twice in the list";
    case SeriesRule::InBoth: return L"is also in /pos:";
    }
    return L"";
}

}  // namespace

std::wstring SeriesFaultText(const SeriesFault& fault)
{
    const wchar_t* list = fault.list == SeriesList::Pos ? L"Σειρές POS" : L"Σειρές Backoffice";
    return std::wstring(list) + L": η " + DecimalText(static_cast<long long>(fault.position)) + L"η σειρά «" +
           fault.item + L"» " + GreekRule(fault.rule) + L"!";
}

std::wstring SeriesFaultSwitchText(const SeriesFault& fault)
{
    const wchar_t* list = fault.list == SeriesList::Pos ? L"/pos:" : L"/back:";
    return std::wstring(list) + L" item " + DecimalText(static_cast<long long>(fault.position)) + L" \"" +
           fault.item + L"\" " + EnglishRule(fault.rule);
}

RequestCheck CheckRequest(const ConfigRequest& entered)
{
    RequestCheck check;
    const auto refuse = [&check](const char* code, std::wstring text) {
        check.code = code;
        check.text = std::move(text);
        return check;
    };
    Request request;
    request.branch = BranchNoOf(entered.branch);
    if (!IsValidBranchNo(request.branch))
        return refuse(codes::kBranchRefused, BranchRefusal(request.branch));
    std::optional<SeriesFault> fault;
    request.pos = SeriesOf(entered.posSeries, SeriesList::Pos, fault);
    if (!fault)
        request.back = SeriesOf(entered.backSeries, SeriesList::Back, fault);
    for (size_t i = 0; !fault && i < request.back.size(); ++i)
        if (Holds(request.pos, request.back[i]))
            fault = SeriesFault{SeriesList::Back, i + 1, SplitList(entered.backSeries, L",")[i], SeriesRule::InBoth};
    if (fault) {
        check.series = fault;
        return refuse(codes::kSeriesRefused, SeriesFaultText(*fault));
    }
    if (!entered.posPrinter)
        return refuse(kPosPrinterNotChosen.code, kPosPrinterNotChosen.text);
    if (!entered.backPrinter)
        return refuse(kBackPrinterNotChosen.code, kBackPrinterNotChosen.text);
    request.posPrinter = *entered.posPrinter;
    request.backPrinter = *entered.backPrinter;
    request.uncPos = entered.uncPos;
    request.uncBack = entered.uncBack;
    request.headerLines = entered.headerLines;
    check.request = std::move(request);
    return check;
}

int BranchNoOf(const std::wstring& text)
{
    int branch = 0;
    return ParseInt32(text, branch) ? branch : 0;
}

bool IsValidBranchNo(int branchNo)
{
    return branchNo >= 1 && branchNo <= 9999;
}

std::wstring BranchRefusal(int branchNo)
{
    return L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα " + DecimalText(branchNo);
}
