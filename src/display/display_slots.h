// The ten display slots: sending an image to the next one, and composing its page.
#pragma once

#include <string>

struct Program;

// page: the page the image was found on, where known.
void IBrowseTo(Program& program, const std::string& url, const std::string& page = {});
void browser_DocumentComplete(Program& program, int slot, const std::string& url);
