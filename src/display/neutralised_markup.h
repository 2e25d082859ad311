// The disarmed copy of a page's markup that CleanupHTML writes back: script, plug-in and frame
// tags and the load, unload and click handlers renamed, and a BASE element anchoring relative
// addresses. A pure function of the markup and the page's address, so the copy can also be
// made ahead, away from the user-interface thread.
#pragma once

#include <string>

std::string NeutralisedMarkup(std::string markup, const std::string& url, bool useBase);
