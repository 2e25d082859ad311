#include "interaction/shell_open.h"

#include <exception>

#include "core/program.h"
#include "core/vb_text.h"
#include "platform/run_time_error.h"

namespace {

// The start of the application-defined error range (0x80040000) plus 1048.
constexpr std::int32_t kShellErrorBase = -2147220456;

constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;

}  // namespace

ShellFailure ClassifyShellResult(Program& program, int result) {
  ShellFailure failure;
  failure.source = program.platform.executableName() + ".GShell";
  const auto set = [&failure](std::int32_t number, const char* description) {
    failure.number = number;
    failure.description = description;
  };
  switch (result) {
    case 0:
      set(7, "Out of memory");
      break;
    case 2:
      set(53, "File not found");
      break;
    case 3:
      set(76, "Path not found");
      break;
    case 5:
      set(platform::kPathFileAccessError, "Path/file access error");
      break;
    case 8:
      set(7, "Out of memory");
      break;
    case 11:
      set(kShellErrorBase + 11, "The executable file is invalid or corrupt");
      break;
    case 26:
      set(platform::kPathFileAccessError, "A sharing violation occurred.");
      break;
    case 27:
      set(kShellErrorBase + 27, "This file type does not have a valid file association.");
      break;
    case 28:
      set(286, "The file could not be opened due to time out. Please try again in a moment.");
      break;
    case 29:
      set(285,
          "The file could not be opened because the DDE transaction failed. Please try again in a "
          "moment.");
      break;
    case 30:
      set(285,
          "The file could not be opened because the target application is busy. Please try again "
          "in a moment.");
      break;
    case 31:
      set(kShellErrorBase + 31, "No application is associated with this file type.");
      break;
    case 32:
      set(48, "The specified dynamic-link library was not found.");
      break;
    default:
      set(kShellErrorBase + result,
          "An error occurred occurred whilst trying to open or print the selected file.");
      break;
  }
  return failure;
}

bool GShell(Program& program, std::string file, std::int32_t showCommand, std::string parameters,
            std::string folder, const std::string& verb, std::int32_t ownerWindow) {
  if (vb::InStr(vb::UCase(file), ".EXE") > 0) showCommand = kShowHide;
  try {
    auto& shell = program.platform.shell();
    const int result = !parameters.empty() || !folder.empty()
                           ? shell.execute(ownerWindow, verb, file, parameters, folder, showCommand)
                           : shell.execute(ownerWindow, verb, file, "", "", kShowNormal);
    if (result > 32 || result < 0) return true;
    const ShellFailure failure = ClassifyShellResult(program, result);
    throw platform::RunTimeError(failure.number, failure.description);
  } catch (const std::exception&) {
    // Opening is best effort: the caller goes on (and closes the window) either way.
  }
  return false;
}
