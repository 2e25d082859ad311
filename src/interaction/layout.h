// The bottom strip, the work browser's hiding place, and browsers a page resized.
#pragma once

#include <cstdint>

struct Program;

// The work browser's standard size, in twips: parked below the window at this size it is
// never seen.
inline constexpr int kWorkBrowserWidth = 9000;
inline constexpr int kWorkBrowserHeight = 1500;
// How far below the window's bottom edge hidden browsers and frames are parked.
inline constexpr int kParkingDrop = 600;

void Form_Resize(Program& program);
void ResizeBrowsers(Program& program, std::int16_t index);
void ResizeIBrowser(Program& program, std::int32_t index);
// Monitors were added, removed or resized: the strip follows the primary one, and no panel
// stays where no monitor shows it.
void Form_MonitorsChanged(Program& program);
void Form_MouseDown(Program& program, int button);
