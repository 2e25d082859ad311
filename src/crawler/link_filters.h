// The bad-link list and the small text filters of the crawl.
#pragma once

#include <string>
#include <vector>

struct Program;

void AddBadLinks(std::vector<std::string>& badLinks);
bool BadLink(Program& program, const std::string& url);
bool GoodExtension(Program& program, const std::string& ending);
std::string StripPunctuation(Program& program, const std::string& text);
