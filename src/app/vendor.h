// The link server the program talks to (host[:port], scheme http), and the search engines.
#pragma once

#include <string>

#ifndef QUOREL_VENDOR_HOST
#define QUOREL_VENDOR_HOST "127.0.0.1:8480"
#endif

inline constexpr const char* kVendorHost = QUOREL_VENDOR_HOST;
inline std::string VendorUrl(const std::string& path) {
  return "http://" + std::string(kVendorHost) + path;
}

inline constexpr const char* kGoogleImagesHost = "images.google.com";
inline constexpr const char* kAllTheWebHost = "www.alltheweb.com";
inline constexpr const char* kYahooImagesHost = "images.search.yahoo.com";
