// The entry procedure: seeding, the single-instance refusal, the screen-saver switches,
// loading the dialogs hidden, the start time, and showing the main window.
#pragma once

#include <optional>
#include <string>

struct Program;

// commandLine is the whole argument text as one string. Returns nullopt when the main window
// runs (the caller enters the event loop), else the exit status of a program that has ended.
std::optional<int> Startup(Program& program, const std::string& commandLine);
