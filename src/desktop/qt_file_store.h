// QtFileStore: saved images written through QSaveFile: a temporary file beside the target,
// renamed into place on success, so a file is either whole or absent.
//
// [X] whole-or-nothing writes; a failure leaves no temporary file behind
// [X] failures as number and description: 76 missing folder, 75 refused, 61 disk full,
//     57 any other write failure
#pragma once

#include "platform/file_store.h"

namespace desktop {

class QtFileStore : public platform::FileStore {
 public:
  QtFileStore() = default;
  bool exists(const std::string& path) override;
  platform::SaveError saveAtomically(const std::string& path, const std::string& bytes) override;
};

}  // namespace desktop
