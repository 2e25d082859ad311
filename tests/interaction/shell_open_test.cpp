#include "interaction/shell_open.h"

#include <gtest/gtest.h>

#include "support/harness.h"

namespace {

TEST(GShell, PassesTheRequestAndReadsTheResult) {
  struct Case {
    const char* name;
    std::string file, parameters, folder;
    int showCommand;
    int result;
    bool accepted;
    int passedShow;
  };
  const Case cases[] = {
      // Without parameters and folder the show command given is not used.
      {"address", "http://h/x", "", "", 10, 42, true, 1},
      {"exe without parameters still shows normally", "C:\\A.exe", "", "", 10, 42, true, 1},
      {"parameters keep the show command", "x.txt", "-v", "", 10, 42, true, 10},
      {"folder keeps the show command", "x.txt", "", "/tmp", 3, 42, true, 3},
      {"an .EXE anywhere hides", "run.Exe.txt", "-v", "", 10, 42, true, 0},
      {"33 accepted", "http://h/x", "", "", 10, 33, true, 1},
      {"negative accepted", "http://h/x", "", "", 10, -5, true, 1},
      {"32 refused", "http://h/x", "", "", 10, 32, false, 1},
      {"no association refused", "http://h/x", "", "", 10, 31, false, 1},
      {"0 refused", "http://h/x", "", "", 10, 0, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Harness h;
    h.platform.shell_.result = c.result;
    EXPECT_EQ(GShell(h.program, c.file, c.showCommand, c.parameters, c.folder, "open", 0),
              c.accepted);
    ASSERT_EQ(h.platform.shell_.calls.size(), 1u);
    const auto& call = h.platform.shell_.calls[0];
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, c.file);
    EXPECT_EQ(call.parameters, c.parameters);
    EXPECT_EQ(call.folder, c.folder);
    EXPECT_EQ(call.showCommand, c.passedShow);
    EXPECT_EQ(call.owner, 0);
    // Refusals stay silent.
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
