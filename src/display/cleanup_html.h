// Disarms a loaded page's markup and writes it into the work browser's document.
#pragma once

#include <string>

#include "platform/document.h"

struct Program;

std::string CleanupHTML(Program& program, platform::Document& doc, bool useBase);
