// The NavigateError status codes of our own, besides HTTP statuses and the logic's two
// (platform::kServerNotFound for an unreachable server, platform::kObjectNotFound).
#pragma once

#include <QtGlobal>

namespace web::status {

constexpr qint32 kInvalidAddress = static_cast<qint32>(0x800C0002u);
constexpr qint32 kDownloadFailed = static_cast<qint32>(0x800C0008u);
constexpr qint32 kTooLarge = static_cast<qint32>(0x800C0009u);
constexpr qint32 kTimedOut = static_cast<qint32>(0x800C000Bu);
constexpr qint32 kRefusedScheme = static_cast<qint32>(0x800C000Du);
constexpr qint32 kSecurityFailure = static_cast<qint32>(0x800C000Eu);
constexpr qint32 kUnsupportedType = static_cast<qint32>(0x800C000Fu);
constexpr qint32 kRefusedAddress = static_cast<qint32>(0x800C0010u);
constexpr qint32 kRedirectFailed = static_cast<qint32>(0x800C0014u);
// The parse helper gave up on the page: over its time or memory budget, crashed, or answered
// garbage. Ours alone; no other source reports it.
constexpr qint32 kParseFailed = static_cast<qint32>(0x800C0100u);

}  // namespace web::status
