// The JSON writer's exact bytes: texts exactly as given, escapes only where JSON needs them.
#include <gtest/gtest.h>

#include "app/json_writer.h"
#include "app/result_document.h"
#include "common/reg_text.h"

namespace {

std::string Quoted(const std::wstring& text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

TEST(JsonWriter, EscapesOnlyWhatJsonNeedsAndKeepsEveryCharacter)
{
    const struct {
        std::wstring text;
        std::string json;
    } cases[] = {
        {L"", "\"\""},
        {L"Η εντολή ολοκληρώθηκε", "\"\xCE\x97 \xCE\xB5\xCE\xBD\xCF\x84\xCE\xBF\xCE\xBB\xCE\xAE "
                                   "\xCE\xBF\xCE\xBB\xCE\xBF\xCE\xBA\xCE\xBB\xCE\xB7\xCF\x81\xCF\x8E\xCE\xB8\xCE\xB7\xCE\xBA\xCE\xB5\""},
        {L"C:\\a \"b\"/", "\"C:\\\\a \\\"b\\\"/\""},
        {L"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {std::wstring(L"a\0b", 3) + L"\x01\x1F\x7F", "\"a\\u0000b\\u0001\\u001f\x7F\""},
        {L"\xD83D\xDE00", "\"\xF0\x9F\x98\x80\""},          // a pair: one code point
        {L"x\xD83Dy", "\"x\\ud83dy\""},                     // a lone high surrogate
        {L"\xDE00\xD83D", "\"\\ude00\\ud83d\""},            // a low one, then a high one at the end
        {L"\x20AC\xFFFF", "\"\xE2\x82\xAC\xEF\xBF\xBF\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Quoted(c.text), c.json);
}

TEST(JsonWriter, PutsCommasAndColonsWhereTheyGo)
{
    JsonWriter json;
    json.BeginObject().Key("a").Int(-1).Key("b").BeginArray().Bool(true).Null().BeginObject().EndObject().EndArray();
    json.Key("c").String("x").Key("d").BeginArray().EndArray().EndObject();
    EXPECT_EQ(json.Text(), R"({"a":-1,"b":[true,null,{}],"c":"x","d":[]})");
}

TEST(JsonWriter, DocumentHoldsTheFieldsFleetToolsReadInTheirOrder)
{
    CommandResult result;
    result.command = "submit";
    result.exitCode = 1;
    result.outcome.messages.push_back({MessageKind::Failure, "client-timed-out", L"ended"});
    result.outcome.problems.push_back({"printer-missing", L"p", L"K", L"Printer", L""});
    result.outcome.changes.push_back({ChangeTarget::Value, ChangeAction::Written, L"K", L"V"});
    result.rows = std::vector<ResultRow>{{L"f", L"d", L"", RowState::StoppedHere, "client-timed-out"}};
    const std::string doc = ResultDocument(result);
    EXPECT_EQ(doc.substr(doc.find("\"command\"")),
              R"("command":"submit","exitCode":1,"changed":true,"whatif":false,)"
              R"("messages":[{"kind":"failure","code":"client-timed-out","text":"ended"}],)"
              R"("problems":[{"code":"printer-missing","text":"p","key":"K","value":"Printer"}],)"
              R"("changes":[{"target":"value","action":"written","path":"K","name":"V","before":null,"after":null}],)"
              R"("backup":null,)"
              R"("rows":[{"file":"f","directions":"d","result":"","state":"stopped here","why":"client-timed-out"}]})"
              "\r\n");
}

}  // namespace

// A value's sides keep their type: the same four bytes are hex under REG_BINARY, a number under
// REG_DWORD; texts and lists of texts are strings.
TEST(JsonWriter, ChangesCarryEachSideWithItsType)
{
    CommandResult result;
    result.outcome.changes.push_back({ChangeTarget::Value, ChangeAction::Written, L"K", L"V",
                                      ValueSide(kRegBinary, {1, 0, 0, 0}), ValueSide(kRegDword, {1, 0, 0, 0})});
    result.outcome.changes.push_back({ChangeTarget::Value, ChangeAction::Written, L"K", L"M",
                                      ValueSide(kRegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}),
                                      ValueSide(kRegSz, {'a', 0, 0, 0})});
    const std::string doc = ResultDocument(result);
    EXPECT_NE(doc.find(R"("before":{"type":"REG_BINARY","data":"01000000"},"after":{"type":"REG_DWORD","data":1})"),
              std::string::npos) << doc;
    EXPECT_NE(doc.find(R"("before":{"type":"REG_MULTI_SZ","data":["a","b"]},"after":{"type":"REG_SZ","data":"a"})"),
              std::string::npos) << doc;
}
