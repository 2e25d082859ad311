#include "crawler/get_link.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>

#include "core/logs.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "crawler/browse_to.h"
#include "crawler/link_filters.h"
#include "display/display_slots.h"
#include "display/get_image.h"
#include "interaction/url_encode.h"

namespace {

constexpr int kMaxAttempts = 20;

// Files that are not web pages, by the address's ending.
struct FileClass {
  const char* tag;
  bool rejected;
};

// The class of an address, or nothing for an ordinary page.
std::optional<FileClass> Classify(const Settings& settings, const std::string& address) {
  static const char* const kMovies[] = {".avi", ".wmv", "mpeg", ".mpg", ".asf"};
  static const char* const kSounds[] = {".wav", ".mp3"};
  static const char* const kDocs[] = {".pdf", ".doc", ".xls"};
  static const char* const kArchives[] = {".zip", ".tar", ".tgz", ".bz2"};
  static const char* const kScripts[] = {".exe", ".vbs"};

  const std::string lower = vb::LCase(address);
  const std::string ending = vb::Right(lower, 4);
  const auto endsWithOneOf = [&](const auto& endings) {
    for (const char* e : endings)
      if (ending == e) return true;
    return false;
  };
  if (endsWithOneOf(kMovies)) return FileClass{"[BadFile-Movie] ", !settings.AllowMovies};
  if (endsWithOneOf(kSounds)) return FileClass{"[BadFile-Sound] ", !settings.AllowSounds};
  if (endsWithOneOf(kDocs)) return FileClass{"[BadFile-Doc] ", !settings.AllowDocs};
  if (endsWithOneOf(kArchives)) return FileClass{"[BadFile-Archive] ", true};
  if (endsWithOneOf(kScripts)) return FileClass{"[BadFile-Script] ", true};
  if (vb::Right(lower, 5) == ".tiff") return FileClass{"[BadFile-Iffy] ", true};
  // ".tar.gz" and friends: the four-character test above cannot see them.
  if (vb::Right(lower, 3) == ".gz") return FileClass{"[BadFile-Archive] ", true};
  return std::nullopt;
}

// An image-search result link carries the picture's own address after the marker, up to the
// next "&". Without an "&" the Left below fails, as a malformed link should.
std::string ImageUrlFrom(const std::string& address, const std::string& marker) {
  const std::string rest = vb::Mid(address, vb::InStr(address, marker) + 8);
  const auto q = vb::InStr(rest, "&") - 1;
  return "http://" + vb::Left(rest, q);
}

// The page a search result names as its picture's home ("imgrefurl="), empty when none.
std::string ReferringPage(const std::string& address) {
  for (const std::string marker : {"?imgrefurl=", "&imgrefurl="}) {
    const auto at = address.find(marker);
    if (at == std::string::npos) continue;
    const auto start = at + marker.size();
    return UrlDecode(address.substr(start, address.find('&', start) - start));
  }
  return {};
}

void ShowImageUrl(Program& program, const std::string& imageUrl, const std::string& page) {
  if (!GoodExtension(program, vb::Right(imageUrl, 4))) {
    program.nextTimer().setEnabled(true);
    return;
  }
  IBrowseTo(program, imageUrl, page);
}

// A step of the frame path: a failure skips the step and the handling goes on.
template <class Step>
void IgnoringFailures(Step step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// A frameset without links of its own: go where its first frame points.
void FollowFirstFrame(Program& program, platform::Document& doc) {
  std::string location;
  IgnoringFailures([&] { location = doc.frameLocation(0); });
  if (vb::InStr(location, "?imgurl=") == 0) {
    IgnoringFailures([&] { BrowseTo(program, location); });
    return;
  }
  std::string imageUrl;
  IgnoringFailures([&] { imageUrl = ImageUrlFrom(location, "?imgurl="); });
  if (!GoodExtension(program, vb::Right(imageUrl, 4))) {
    program.nextTimer().setEnabled(true);
    return;
  }
  AddStatus(program, "[F-ImgUrl] " + imageUrl);
  IgnoringFailures([&] { IBrowseTo(program, imageUrl, ReferringPage(location)); });
}

void PickLink(Program& program, platform::Document& doc) {
  if (doc.linkCount() == 0) {
    if (doc.frameCount() > 0) {
      FollowFirstFrame(program, doc);
    } else if (doc.imageCount() > 0) {
      GetImage(program, doc);
      program.nextTimer().setEnabled(true);
    } else {
      AddStatus(program, "[GetLink] no links, no frames, no images");
      program.nextTimer().setEnabled(true);
    }
    return;
  }

  // r*n - 1 rounded, made positive: 0..n-1 for two links or more; a single link can give 1,
  // which is past the end and fails on reading.
  const auto pick = [&] {
    return std::abs(vb::CLng(static_cast<double>(program.rnd()) * doc.linkCount() - 1));
  };
  // Bad links and rejected files share one budget of attempts.
  int attempts = 0;
  int i = pick();
  for (;;) {
    // Once the budget is spent, the last pick is not even looked at.
    while (attempts < kMaxAttempts && BadLink(program, doc.link(i))) {
      i = pick();
      ++attempts;
      program.platform.doEvents();
    }
    if (attempts == kMaxAttempts) {
      if (program.settings.DebugMode) AddStatus(program, "[BadLink] nothing valid on this page");
      program.nextTimer().setEnabled(true);
      return;
    }
    const std::string address = doc.link(i);
    if (vb::InStr(address, "?imgurl=") > 0) {
      ShowImageUrl(program, ImageUrlFrom(address, "?imgurl="), ReferringPage(address));
      return;
    }
    if (vb::InStr(address, "&imgurl=") > 0) {
      ShowImageUrl(program, ImageUrlFrom(address, "&imgurl="), ReferringPage(address));
      return;
    }
    const auto fileClass = Classify(program.settings, address);
    if (fileClass && fileClass->rejected) {
      AddStatus(program, fileClass->tag + address);
      ++attempts;
      i = pick();
      continue;
    }
    // A movie, sound or document link the user has allowed is followed like any page:
    // allowing the class is asking for such links.
    BrowseTo(program, address);
    return;
  }
}

}  // namespace

void GetLink(Program& program, platform::Document& doc) {
  AddTrace(program, "GetLink IN");
  PickLink(program, doc);
  AddTrace(program, "GetLink OUT");
}
