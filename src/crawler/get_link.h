// Picks where the crawl goes next on a page.
#pragma once

#include "platform/document.h"

struct Program;

void GetLink(Program& program, platform::Document& doc);
