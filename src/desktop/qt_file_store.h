// QtFileStore: saved images written with the system calls that cannot be steered by what the
// folder already holds: the temporary file is created exclusively and without following
// links, relative to the open folder, synced, then moved to its name without replacing.
//
// [X] whole-or-nothing writes; a failure leaves no temporary file behind
// [X] a taken name, a planted link or a folder in the way is never written through or replaced
// [X] failures as number and description: 76 missing folder, 75 refused, 61 disk full,
//     58 name taken, 57 any other write failure
// [X] the origin as user.xdg.origin.url and user.xdg.referrer.url; a file system without
//     user extended attributes (or refusing one this long) gets the picture without them
#pragma once

#include "platform/file_store.h"

namespace desktop {

class QtFileStore : public platform::FileStore {
 public:
  QtFileStore() = default;
  bool exists(const std::string& folder, const std::string& name) override;
  platform::SaveError saveNew(const std::string& folder, const std::string& name,
                              const std::string& bytes,
                              const platform::FileOrigin& origin) override;
  std::optional<platform::DiskSpace> space(const std::string& folder) override;

  // Moves from to to inside the folder dir, failing with EEXIST rather than replacing. Where
  // the file system cannot rename that way (or useRename is false), a hard link and an unlink
  // do it. Returns 0 or the errno value.
  static int moveWithoutReplacing(int dir, const char* from, const char* to, bool useRename = true);
};

}  // namespace desktop
