// Picks an image of a crawled page within the size window.
#pragma once

#include <cstdint>

#include "platform/document.h"

struct Program;

void GetImage(Program& program, platform::Document& doc);
bool GoodImage(Program& program, std::int32_t width, std::int32_t height);
