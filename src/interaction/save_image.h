// Saves every image of a display page into the auto-save folder.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/document.h"

struct Program;

// Who asks for the save: auto-save, for each new display page, waits while the disk is nearly
// full; the user's "Save Image" does not.
enum class SaveBy { Autosave, User };

// page: the address of the page the pictures were shown from, empty when not known; it is kept
// with each file (as is the picture's own address) where the file system can keep it.
void SaveImage(Program& program, platform::Document& doc, SaveBy by, const std::string& page);

// "yyyymmdd-hhnnss" of the moment, followed by the address's extension (the tail of its last
// path segment from its last ".") when that names the format the bytes are in ("jpeg", "png"
// ..., the platform's names), else by that format's usual ending. Bytes of an unknown format
// keep only an ending that names some picture format.
std::string SavedImageName(platform::LocalTime when, const std::string& address,
                           const std::string& format);
