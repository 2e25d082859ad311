// The link server's reading of the picture API's answer (ParsePictures) and the results page
// made from it (ResultsPage). Whatever the answer holds, every picture handed out is an http or
// https picture address on a public host, no wider than the step asked for by its own name,
// at most the number asked for, and (filtered) of a title the family filter lets through;
// the page escapes what it shows.
//
// Input: one byte of choices (low nibble: the thumbnail step; bit 4: filtered), then the JSON.
#include <QByteArray>
#include <QRegularExpression>
#include <QUrl>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "link_server/family_filter.h"
#include "link_server/picture_api.h"
#include "link_server/search_gateway.h"
#include "web/private_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const link_server::FamilyFilter filter =
      link_server::FamilyFilter::parse(QStringLiteral("nude*\nsurgery\nhuman remains\n"));
  fuzz::Input input(data, size);
  const std::uint8_t choices = input.byte();
  link_server::ParseRules rules;
  rules.thumbWidth = link_server::kThumbSteps[(choices & 0x0F) % link_server::kThumbSteps.size()];
  rules.filter = (choices & 0x10) ? &filter : nullptr;
  const std::string json = input.rest();

  const link_server::PictureAnswer answer = link_server::ParsePictures(
      QByteArray::fromRawData(json.data(), qsizetype(json.size())), rules);
  FUZZ_CHECK(answer.ok || answer.pictures.isEmpty(), "a failure with pictures");
  FUZZ_CHECK(answer.pictures.size() <= link_server::kPicturesAsked, "more pictures than asked for");
  static const QRegularExpression named(QStringLiteral("/(\\d+)px-[^/]*$"));
  for (const link_server::Picture& picture : answer.pictures) {
    const QUrl url(picture.address, QUrl::StrictMode);
    FUZZ_CHECK(url.scheme() == u"http" || url.scheme() == u"https", "not a web address");
    FUZZ_CHECK(!web::isPrivateHost(url.host()), "a thumbnail on a private host");
    const QRegularExpressionMatch match = named.match(picture.address);
    FUZZ_CHECK(!match.hasMatch() || match.captured(1).toInt() <= rules.thumbWidth,
               "a thumbnail wider than the step");
    FUZZ_CHECK(!rules.filter || !filter.matches(picture.title), "a filtered title let through");
  }
  const QByteArray page =
      link_server::ResultsPage(QString::fromStdString(json).left(64), answer.pictures);
  FUZZ_CHECK(!page.contains("<script"), "markup from the answer in the page");
  return 0;
}
