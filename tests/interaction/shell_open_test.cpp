#include "interaction/shell_open.h"

#include <gtest/gtest.h>

#include "interaction/url_encode.h"
#include "support/harness.h"

namespace {

// Without parameters and folder the show command given is not used; an .EXE anywhere hides.
TEST(GShell, PassesTheRequest) {
  struct Row {
    const char* name;
    std::string file = "http://h/x", parameters = "", folder = "";
    int showCommand = 10, passedShow = 1;
  };
  const Row rows[] = {
      {.name = "an address, shown normally"},
      {.name = "a program without parameters", .file = "C:\\A.exe"},
      {
          .name = "parameters",
          .file = "x.txt",
          .parameters = "-v",
          .passedShow = 10,
      },
      {
          .name = "a folder",
          .file = "x.txt",
          .folder = "/tmp",
          .showCommand = 3,
          .passedShow = 3,
      },
      {.name = "an .EXE within the name",
       .file = "run.Exe.txt",
       .parameters = "-v",
       .passedShow = 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.shell_.result = 42;
    EXPECT_TRUE(GShell(h.program, r.file, r.showCommand, r.parameters, r.folder, "open", 0));
    EXPECT_EQ(
        h.platform.shell_.calls,
        (std::vector<fake::ShellCall>{{0, "open", r.file, r.parameters, r.folder, r.passedShow}}));
  }
}

// Results above 32 and below 0 are accepted; refusals stay silent.
TEST(GShell, ReadsTheResult) {
  const struct {
    const char* name;
    int result;
    bool accepted;
  } rows[] = {
      {.name = "33", .result = 33, .accepted = true},
      {.name = "negative", .result = -5, .accepted = true},
      {.name = "32", .result = 32, .accepted = false},
      {.name = "31", .result = 31, .accepted = false},
      {.name = "0", .result = 0, .accepted = false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    fake::Harness h;
    h.platform.shell_.result = r.result;
    EXPECT_EQ(GShell(h.program, "http://h/x", 10, "", "", "open", 0), r.accepted);
    EXPECT_TRUE(h.platform.dialogs_.messageBoxes.empty());
  }
}

// A refusal's number; the ones not of the runtime's own are offset from the application range.
TEST(GShell, ClassifiesRefusals) {
  constexpr int base = -2147220456;
  const struct {
    const char* name;
    int result, number;
  } rows[] = {
      {.name = "out of memory", .result = 0, .number = 7},
      {.name = "file not found", .result = 2, .number = 53},
      {.name = "path not found", .result = 3, .number = 76},
      {.name = "access denied", .result = 5, .number = 75},
      {.name = "out of memory too", .result = 8, .number = 7},
      {.name = "a broken program", .result = 11, .number = base + 11},
      {.name = "a sharing violation", .result = 26, .number = 75},
      {.name = "an incomplete association", .result = 27, .number = base + 27},
      {.name = "a time-out", .result = 28, .number = 286},
      {.name = "a failed exchange", .result = 29, .number = 285},
      {.name = "busy", .result = 30, .number = 285},
      {.name = "no association", .result = 31, .number = base + 31},
      {.name = "a missing library", .result = 32, .number = 48},
      {.name = "an unlisted one", .result = 1, .number = base + 1},
      {.name = "another unlisted one", .result = 17, .number = base + 17},
  };
  fake::Harness h;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ClassifyShellResult(h.program, r.result).number, r.number);
    EXPECT_EQ(ClassifyShellResult(h.program, r.result).source, "quorel.GShell");
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
