// The ten display slots: sending an image to the next one, and composing its page.
#pragma once

#include <string>

struct Program;

void IBrowseTo(Program& program, const std::string& url);
void browser_DocumentComplete(Program& program, int slot, const std::string& url);
