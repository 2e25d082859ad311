// The parse helper's work: requests from stdin, document models to stdout, one page after
// another, inside the sandbox. The program that writes a page back once it has loaded hands
// in how it makes that copy, so the helper can parse the copy too, right after the page.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace parse_helper {

// The markup the page's reader will write back, from the page's serialised markup (the
// documentElement's innerHTML) and its address; nullopt when it writes nothing. Pure: it runs
// inside the sandbox, so it may make no system call but allocate.
using WrittenCopyMaker =
    std::function<std::optional<std::string>(std::string innerHTML, const std::string& url)>;

// Serves until stdin ends; the process's exit status. An empty maker: no written copies.
int serve(const WrittenCopyMaker& makeCopy);

}  // namespace parse_helper
