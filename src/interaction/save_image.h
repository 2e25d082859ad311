// Saves every image of a display page into the auto-save folder.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/document.h"

struct Program;

void SaveImage(Program& program, platform::Document& doc);

// "yyyymmdd-hhnnss" of the moment, followed by the address's extension tail: from the last
// "." of its last path segment (query included), without characters a file name may not hold.
std::string SavedImageName(platform::LocalTime when, const std::string& address);
