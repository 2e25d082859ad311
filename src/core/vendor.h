// The link server the program talks to (host[:port], scheme http), and the image-search hosts.
#pragma once

#include <string>

#ifndef QUOREL_VENDOR_HOST
#define QUOREL_VENDOR_HOST "127.0.0.1:8480"
#endif

inline constexpr const char* kVendorHost = QUOREL_VENDOR_HOST;
inline std::string VendorUrl(const std::string& path) {
  return "http://" + std::string(kVendorHost) + path;
}

// The three search engines' hosts: by default the link server, whose search gateway answers
// their paths with pictures from a source that still serves clients without scripts.
#ifndef QUOREL_SEARCH_HOST0
#define QUOREL_SEARCH_HOST0 QUOREL_VENDOR_HOST
#define QUOREL_SEARCH_HOST1 QUOREL_VENDOR_HOST
#define QUOREL_SEARCH_HOST2 QUOREL_VENDOR_HOST
#endif

inline constexpr const char* kSearchHosts[3] = {QUOREL_SEARCH_HOST0, QUOREL_SEARCH_HOST1,
                                                QUOREL_SEARCH_HOST2};
