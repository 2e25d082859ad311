#include "interaction/shell_open.h"

#include <gtest/gtest.h>

#include "interaction/url_encode.h"
#include "support/harness.h"

namespace {

// Without parameters and folder the show command given is not used; an .EXE anywhere hides;
// results above 32 and below 0 are accepted, refusals stay silent.
TEST(GShell, PassesTheRequestAndReadsTheResult) {
  struct Row {
    std::string file, parameters, folder;
    int showCommand, result;
    bool accepted;
    int passedShow;
  };
  const Row rows[] = {
      {"http://h/x", "", "", 10, 42, true, 1},    {"C:\\A.exe", "", "", 10, 42, true, 1},
      {"x.txt", "-v", "", 10, 42, true, 10},      {"x.txt", "", "/tmp", 3, 42, true, 3},
      {"run.Exe.txt", "-v", "", 10, 42, true, 0}, {"http://h/x", "", "", 10, 33, true, 1},
      {"http://h/x", "", "", 10, -5, true, 1},    {"http://h/x", "", "", 10, 32, false, 1},
      {"http://h/x", "", "", 10, 31, false, 1},   {"http://h/x", "", "", 10, 0, false, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file + " " + std::to_string(r.result));
    fake::Harness h;
    h.platform.shell_.result = r.result;
    EXPECT_EQ(GShell(h.program, r.file, r.showCommand, r.parameters, r.folder, "open", 0),
              r.accepted);
    EXPECT_EQ(
        h.platform.shell_.calls,
        (std::vector<fake::ShellCall>{{0, "open", r.file, r.parameters, r.folder, r.passedShow}}));
    EXPECT_TRUE(h.platform.dialogs_.messageBoxes.empty());
  }
}

// A refusal's number; the ones not of the runtime's own are offset from the application range.
TEST(GShell, ClassifiesRefusals) {
  constexpr int base = -2147220456;
  const std::pair<int, int> rows[] = {{0, 7},    {2, 53},         {3, 76},        {5, 75},
                                      {8, 7},    {11, base + 11}, {26, 75},       {27, base + 27},
                                      {28, 286}, {29, 285},       {30, 285},      {31, base + 31},
                                      {32, 48},  {1, base + 1},   {17, base + 17}};
  fake::Harness h;
  for (const auto& [result, number] : rows) {
    EXPECT_EQ(ClassifyShellResult(h.program, result).number, number) << result;
    EXPECT_EQ(ClassifyShellResult(h.program, result).source, "quorel.GShell");
  }
  EXPECT_EQ(ClassifyShellResult(h.program, 2).description, "File not found");
  EXPECT_EQ(ClassifyShellResult(h.program, 17).description,
            "An error occurred occurred whilst trying to open or print the selected file.");
}

// Byte by byte: letters and digits stay, a space becomes "+", every other byte (UTF-8 ones
// too) "%" and two upper-case hex digits.
TEST(UrlEncode, EncodesEveryByteButLettersAndDigits) {
  EXPECT_EQ(
      UrlEncode(std::string("AZaz09 a b/c.jpg\t\0\x0F\x10~-_.+%\x7F", 27) + "caf\xC3\xA9\xFF"),
      "AZaz09+a+b%2Fc%2Ejpg%09%00%0F%10%7E%2D%5F%2E%2B%25%7Fcaf%C3%A9%FF");
}

// The other way, for addresses carried in a query: what cannot be a byte stays as it is.
TEST(UrlDecode, TurnsEscapesBackIntoBytes) {
  struct Row {
    const char* name;
    std::string text, decoded;
  };
  const Row rows[] = {
      {.name = "what UrlEncode made",
       .text = "a+b%2Fc%2Ejpg%09%00%C3%A9",
       .decoded = std::string("a b/c.jpg\t\0\xC3\xA9", 13)},
      {.name = "lower-case digits", .text = "http%3a%2f%2fh", .decoded = "http://h"},
      {.name = "no digits", .text = "100%", .decoded = "100%"},
      {.name = "one digit at the end", .text = "x%4", .decoded = "x%4"},
      {.name = "not hexadecimal", .text = "%zz%4g", .decoded = "%zz%4g"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UrlDecode(row.text), row.decoded);
  }
}

}  // namespace
