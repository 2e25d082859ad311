// Hands an address or file to the user's default program.
#pragma once

#include <string>

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Returns a shell result: above 32 means accepted; 0..32 are the classic failure codes
  // (2 file not found, 31 no application associated, ...).
  virtual int execute(int ownerWindow, const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder,
                      int showCommand) = 0;
};

}  // namespace platform
