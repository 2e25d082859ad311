// The bottom strip, the work browser's hiding place, and browsers a page resized.
#pragma once

#include <cstdint>

struct Program;

void Form_Resize(Program& program);
void ResizeBrowsers(Program& program, std::int16_t index);
void ResizeIBrowser(Program& program, std::int32_t index);
void Form_MouseDown(Program& program, int button);
