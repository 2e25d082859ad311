// The image-search address forms: the program asks them (crawler/next_url.cpp) and the link
// server's search gateway answers them (link_server/search_gateway.cpp). Form i is asked at
// search host i (kSearchHosts, set at build time). websim's engines answer the same forms: its
// test reads the rows below, so a new form there is a new engine there.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct SearchForm {
  std::string_view path;        // "/images": matched without case and without a trailing '/'
  std::string_view leading;     // the query before the phrase's own pair, '&' included
  std::string_view phraseName;  // the phrase's pair: NAME=PHRASE
  std::string_view trailing;    // the query after it, '&' included
};

// One row a form, in the order of the search hosts; each field on one line.
inline constexpr std::array kSearchForms = {
    SearchForm{.path = "/images",
               .leading = "hl=en&lr=&ie=UTF-8&oe=UTF-8&",
               .phraseName = "q",
               .trailing = "&sa=N&tab=wi"},
    SearchForm{.path = "/search",
               .leading = "avkw=fogg&cat=img&cs=utf-8&",
               .phraseName = "q",
               .trailing = ""},
    SearchForm{.path = "/search/images",
               .leading = "",
               .phraseName = "p",
               .trailing = "&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3"},
};

// http://HOST/PATH?QUERY for the phrase as given (already "+"-joined, not encoded here).
std::string SearchAddress(const SearchForm& form, std::string_view host, std::string_view phrase);

// The form whose path this is, or null: "/Images/" is "/images", "/images/x" is none.
const SearchForm* FindSearchForm(std::string_view path);
