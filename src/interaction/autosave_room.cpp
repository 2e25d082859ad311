#include "interaction/autosave_room.h"

#include <algorithm>
#include <string>

#include "core/logs.h"
#include "core/program.h"

namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
// A share of the disk would stop saving on a large disk with plenty free; a whole GiB would
// stop it on a small one that is mostly empty. The smaller of the two: 5 % below 20 GiB.
constexpr std::uint64_t kLeastFree = kGiB;
constexpr std::uint64_t kLeastFreeShare = 20;  // 1/20 of the disk: 5 %

std::uint64_t leastFree(std::uint64_t total) {
  return std::min(kLeastFree, total / kLeastFreeShare);
}

}  // namespace

bool AutosaveHasRoom(Program& program, std::uint64_t bytes) {
  const auto space = program.platform.fileStore().space(program.settings.AutosavePath);
  if (!space) return true;
  const bool room =
      space->available >= bytes && space->available - bytes >= leastFree(space->total);
  if (room != program.autosaveStopped) return room;  // no change

  program.autosaveStopped = !room;
  const std::string free = std::to_string(space->available >> 20) + " MiB free";
  AddStatus(program, room ? "[Autosave] resumed, " + free
                          : "[Autosave] stopped, the disk is nearly full: " + free);
  return room;
}
