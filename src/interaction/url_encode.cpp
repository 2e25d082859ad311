#include "interaction/url_encode.h"

#include "app/program.h"

// Not built yet: a later change fills this in.

std::string UrlEncode(const std::string&) { return {}; }
