#include "interaction/shell_open.h"

#include <gtest/gtest.h>

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

TEST(GShell, ClassifiesRefusals) {
  constexpr int base = -2147220456;
  struct Case {
    int result;
    int number;
    std::string description;
  };
  const Case cases[] = {
      {0, 7, "Out of memory"},
      {2, 53, "File not found"},
      {3, 76, "Path not found"},
      {5, 75, "Path/file access error"},
      {8, 7, "Out of memory"},
      {11, -2147220445, "The executable file is invalid or corrupt"},
      {26, 75, "A sharing violation occurred."},
      {27, base + 27, "This file type does not have a valid file association."},
      {28, 286, "The file could not be opened due to time out. Please try again in a moment."},
      {29, 285,
       "The file could not be opened because the DDE transaction failed. Please try again in a "
       "moment."},
      {30, 285,
       "The file could not be opened because the target application is busy. Please try again in a "
       "moment."},
      {31, base + 31, "No application is associated with this file type."},
      {32, 48, "The specified dynamic-link library was not found."},
      {1, base + 1, "An error occurred occurred whilst trying to open or print the selected file."},
      {17, base + 17,
       "An error occurred occurred whilst trying to open or print the selected file."},
  };
  fake::Harness h;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.result);
    const ShellFailure failure = ClassifyShellResult(h.program, c.result);
    EXPECT_EQ(failure.number, c.number);
    EXPECT_EQ(failure.description, c.description);
    EXPECT_EQ(failure.source, "quorel.GShell");
  }
}

}  // namespace
