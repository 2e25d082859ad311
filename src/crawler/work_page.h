// The work browser's page handler: dispatches each completed page on the crawl depth.
#pragma once

#include <string>

struct Program;

void workBrowser_DocumentComplete(Program& program, const std::string& url);
