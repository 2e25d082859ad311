#include "interaction/autosave_room.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/logs.h"
#include "app/program.h"

namespace {

constexpr std::uint64_t kLeastFree = std::uint64_t{1} << 30;
constexpr std::uint64_t kLeastFreeShare = 20;  // 1/20 of the disk: 5 %

}  // namespace

bool AutosaveHasRoom(Program& program) {
  const auto space = program.platform.fileStore().space(program.settings.AutosavePath);
  if (!space) return true;
  const bool room = space->available >= std::max(kLeastFree, space->total / kLeastFreeShare);
  if (room != program.autosaveStopped) return room;  // no change

  program.autosaveStopped = !room;
  const std::string free = std::to_string(space->available >> 20) + " MiB free";
  AddStatus(program, room ? "[Autosave] resumed, " + free
                          : "[Autosave] stopped, the disk is nearly full: " + free);
  return room;
}
