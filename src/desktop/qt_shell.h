// QtShell: hands an address or a file to the user's default program through
// QDesktopServices, with the classic result codes (above 32 accepted, 31 refused).
//
// [X] web addresses and absolute file paths (relative ones against the given folder)
// [ ] verbs other than "open", window owners and show commands (the desktop decides)
#pragma once

#include <QUrl>

#include "platform/shell.h"

namespace desktop {

class QtShell : public platform::Shell {
 public:
  static constexpr int kAccepted = 42;
  static constexpr int kNoAssociation = 31;

  int execute(int ownerWindow, const std::string& verb, const std::string& file,
              const std::string& parameters, const std::string& folder, int showCommand) override;

  // What file becomes: a web address as it is, a path as a file address (empty when unusable).
  static QUrl target(const std::string& file, const std::string& folder);
};

}  // namespace desktop
