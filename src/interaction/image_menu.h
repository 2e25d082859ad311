// The menu of a shown image.
#pragma once

#include <cstdint>

struct Program;

void page_onclick(Program& program, std::int32_t index);
// The onclick sink bound to display slot k's document; returns false to cancel the click.
bool page_onclick_sink(Program& program, int slot);
