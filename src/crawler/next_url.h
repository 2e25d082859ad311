// Starts a new crawl: an image search for a phrase, else the link server's link list.
#pragma once

#include <string>

struct Program;

void NextUrl(Program& program, std::string& phrase);
