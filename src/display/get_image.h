// Picks an image of a crawled page within the size window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/document.h"

struct Program;

void GetImage(Program& program, platform::Document& doc);
bool GoodImage(Program& program, std::int32_t width, std::int32_t height);
// "WxH", as the status lines give a size.
std::string SizeText(std::int32_t width, std::int32_t height);
