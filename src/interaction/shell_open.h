// Opens an address or file with the user's default program.
#pragma once

#include <cstdint>
#include <string>

struct Program;

// True when the shell accepted the request; a refusal is absorbed, never shown.
bool GShell(Program& program, std::string file, std::int32_t showCommand, std::string parameters,
            std::string folder, const std::string& verb, std::int32_t ownerWindow);

// The failure a refused shell request stands for: a result of 0..32.
struct ShellFailure {
  std::int32_t number = 0;
  std::string source;
  std::string description;
};
ShellFailure ClassifyShellResult(Program& program, int result);
