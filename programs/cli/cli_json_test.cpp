// JSON strings stay valid whatever bytes come in.
#include "programs/cli/cli_json.h"

#include <gtest/gtest.h>

namespace vl::cli {
namespace {

TEST(CliJson, QuotesEscapeWhatJsonNeeds) {
  EXPECT_EQ(JsonQuote("a\"b\\c\r\n\t"), "\"a\\\"b\\\\c\\r\\n\\t\"");
  EXPECT_EQ(JsonQuote(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
  EXPECT_EQ(JsonQuote(std::string("\0", 1)), "\"\\u0000\"");
}

TEST(CliJson, Utf8StaysAndBrokenBytesBecomeReplacements) {
  EXPECT_EQ(JsonQuote("C:\\Users\\J\xC3\xBCrgen\\\xE6\x97\xA5.tmp"), "\"C:\\\\Users\\\\J\xC3\xBCrgen\\\\\xE6\x97\xA5.tmp\"");
  EXPECT_EQ(JsonQuote("a\xFFz"), "\"a\\ufffdz\"");
  EXPECT_EQ(JsonQuote("\xC3"), "\"\\ufffd\"");                  // cut short
  EXPECT_EQ(JsonQuote("\xC0\xAF"), "\"\\ufffd\\ufffd\"");       // overlong
  EXPECT_EQ(JsonQuote("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");  // a surrogate
}

TEST(CliJson, WriterPutsCommasBetweenMembers) {
  JsonWriter w;
  w.BeginObject().String("a", "x").BeginObject("o").Number("n", -1).Unsigned("u", 18446744073709551615ull).EndObject();
  w.BeginArray("l").String(nullptr, "p").Bool(nullptr, true).EndArray().EndObject();
  EXPECT_EQ(w.text(), "{\"a\":\"x\",\"o\":{\"n\":-1,\"u\":18446744073709551615},\"l\":[\"p\",true]}");
}

}  // namespace
}  // namespace vl::cli
