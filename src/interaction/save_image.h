// Saves every image of a display page into the auto-save folder.
#pragma once

#include "platform/document.h"

struct Program;

void SaveImage(Program& program, platform::Document& doc);
