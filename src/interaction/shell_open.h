// Opens an address or file with the user's default program.
#pragma once

#include <cstdint>
#include <string>

struct Program;

bool GShell(Program& program, std::string file, std::int32_t showCommand, std::string parameters,
            std::string folder, const std::string& verb, std::int32_t ownerWindow);
