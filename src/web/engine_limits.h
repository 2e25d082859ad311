// What a page, a transfer, a parse or a cache may cost the engine. Every limit here bounds
// something a site chooses (a size, a count, a depth, an address), so hostile input meets one of
// these instead of the machine's own limits. EngineOptions (web/engine.h) takes its defaults
// from here, one option a limit, so tests and tools can tighten them; the rest are fixed. A new
// limit goes here, with what it bounds and why its value. (What a panel lays out is capped
// apart, by PanelCaps in web/panel_markup.h.)
#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace web {

// -- Transfers --------------------------------------------------------------------------------

// One request, redirects and body included: a slideshow has no use for a page slower than this.
constexpr int kRequestTimeoutMs = 15'000;
// A page's body; the parse helper's reply bounds are worked out for a page this large.
constexpr qint64 kPageLimitBytes = 8 * 1024 * 1024;
// A picture's body: room for a large photograph; a bigger one is refused as it arrives.
constexpr qint64 kImageLimitBytes = 32 * 1024 * 1024;
// Redirect hops of one request; a loop ends here with an error instead of the timeout.
constexpr int kMaxRedirects = 10;
// What Qt may hold of a reply beyond what we have read: the caps are checked as bytes are read,
// so no transfer holds more than its cap and this.
constexpr qint64 kReadBufferBytes = 64 * 1024;
// The same for a transfer read as it arrives (a size probe): its header is usually in the first
// few kilobytes, and TCP holds the rest back instead of Qt.
constexpr qint64 kProgressReadBufferBytes = 16 * 1024;

// -- Size probes (an image's size read from its first bytes) ----------------------------------

// Distinct image addresses sized per page; the rest count as 0x0. A page of thumbnails stays
// within it, a page of a million <img> does not become a million requests.
constexpr int kMaxProbesPerPage = 300;
// Probes in flight per page.
constexpr int kMaxParallelProbes = 100;
// Probes running at once per host, all pages together: what a browser opens to one host.
constexpr int kMaxProbesPerHost = 6;
// Bytes read per image before giving up on its header (a header after a megabyte of metadata
// is not worth more).
constexpr qint64 kProbeLimitBytes = 1024 * 1024;
// Asked for first with a Range request; 0 would read from the start. Most headers fit.
constexpr qint64 kProbeFirstBytes = 16 * 1024;
// A probe gives up by itself once kProbeLimitBytes are in; its transfer's cap lies this much
// above, so that the probe's own check ends it, not a "too large" failure.
constexpr qint64 kProbeSlackBytes = 64 * 1024;
// The longest pause a host's Retry-After gets: a site cannot silence itself for days.
constexpr qint64 kLongestPauseMs = 10 * 60 * 1000;

// -- Caches: bounded in bytes as well as entries, as their keys are addresses a site chooses --

// Image sizes by address.
constexpr int kSizeCacheEntries = 8192;
constexpr qint64 kSizeCacheBytes = 4 * 1024 * 1024;
// Pictures that would not decode: not fetched again.
constexpr int kFailedDecodeEntries = 512;
// Hosts whose recent failures pace their next requests; past it the memory starts afresh.
constexpr int kFailingHostEntries = 4096;
constexpr qint64 kFailedDecodeBytes = 512 * 1024;
// Fetched pictures only bridge a load to the panel's first paint, where the panel decodes
// its part and keeps its own pixels, so a few suffice.
constexpr int kPictureCacheEntries = 64;
constexpr qint64 kPictureCacheBytes = 4 * 1024 * 1024;

// -- Pages ------------------------------------------------------------------------------------

// The longest address the engine opens or keeps in a cache (characters, fully encoded), and the
// longest name DNS can hold: anything longer is refused before it costs a request or memory.
constexpr qsizetype kMaxAddressLength = 8192;
constexpr qsizetype kMaxHostLength = 253;
// Frames loaded for one page, and the levels of frames within frames that are parsed.
constexpr int kMaxFramesPerPage = 32;
constexpr int kMaxFrameLevels = 2;
// Elements open at once before gumbo sees the markup: its scope checks walk the stack of open
// elements, so thousands of nested blocks make a parse quadratic (web/nesting_guard.h).
constexpr int kMaxNestingDepth = 512;
// The model's tree depth; deeper elements are flattened into their ancestor.
constexpr int kMaxTreeDepth = 4096;
// Decoded pixels of one picture: about 153 MiB at four bytes a pixel. Qt's allocation limit is
// set to match (web/picture_decoder.h).
constexpr qint64 kMaxPicturePixels = 40'000'000;

// -- Cookies (web/cookie_jar.h): as a browser keeps them ---------------------------------------

constexpr int kMaxCookiesPerSite = 50;                // past it, the site's oldest go first
constexpr int kMaxCookies = 3000;                     // the whole jar; past it, the oldest go first
constexpr qsizetype kMaxCookieBytes = 4096;           // name and value together
constexpr qsizetype kMaxCookieAttributeBytes = 1024;  // a path or a domain

// -- The parse helper (docs/parse-helper.md) --------------------------------------------------

// A fetched page's parse, from the moment the helper starts on it.
constexpr int kParseBudgetMs = 2000;
// Markup a page writes: the UI thread waits for that parse, so it gets far less.
constexpr int kWriteParseBudgetMs = 200;
// The helper's address space: a parse of the largest page fits, a runaway one dies.
constexpr std::size_t kParseHelperMemoryBytes = 512u * 1024 * 1024;
// One message to or from the helper: far above any request (kPageLimitBytes of markup), far
// below the helper's memory.
constexpr std::uint32_t kMaxParseFrameBytes = 256u * 1024 * 1024;
// The helper's error output passed on per document; the rest is dropped.
constexpr qsizetype kMaxParseErrorBytes = 64 * 1024;
// The markup a document of markupBytes hands its reader (innerHTML), and the longest written
// copy prepared for it. An ordinary page serialises to about its own length; one built to grow
// (every "&" becoming "&amp;", misnested tags cloned) would cost the UI thread its reading,
// copying and rewriting, so reading it fails with "Out of memory" and the page is crawled as
// loaded.
constexpr qsizetype serialisedMarkupLimit(qsizetype markupBytes) {
  return std::min<qsizetype>(2 * markupBytes, 2 * kPageLimitBytes) + 64 * 1024;
}

static_assert(kProbeFirstBytes <= kProbeLimitBytes);
static_assert(kMaxParallelProbes <= kMaxProbesPerPage);
static_assert(kWriteParseBudgetMs < kParseBudgetMs);
static_assert(kPageLimitBytes < kMaxParseFrameBytes);
static_assert(kMaxParseFrameBytes < kParseHelperMemoryBytes);

}  // namespace web
