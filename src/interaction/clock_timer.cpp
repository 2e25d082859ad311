#include "interaction/clock_timer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "core/local_time.h"
#include "core/logs.h"
#include "core/monitors.h"
#include "core/program.h"
#include "core/vb_text.h"
#include "core/version.h"
#include "interaction/layout.h"

namespace {

constexpr int kLabelWidth = 2000;

// "Saturday, Dec 5" CR LF "7:05 pm up 1d 2h 3m 4s" CR LF "V2.0.80"
std::string ClockText(Program& program, platform::LocalTime now, const std::string& uptime) {
  const auto& clock = program.platform.clock();
  const LocalFields t = BreakDown(now);
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char clockText[16];
  std::snprintf(clockText, sizeof clockText, "%d:%02d %s", hour12, t.minute,
                t.hour < 12 ? "am" : "pm");

  return clock.weekdayName(t.weekday) + ", " + clock.monthShortName(t.month) + " " +
         std::to_string(t.day) + "\r\n" + clockText + " up " + uptime + "\r\n" + "V" +
         std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

}  // namespace

std::string FormatInterval(platform::LocalTime start, platform::LocalTime end) {
  using namespace std::chrono;
  const long long total = duration_cast<seconds>(end - start).count();
  // A clock set back after start gives no sensible uptime.
  if (total <= 0) return {};
  const long long parts[] = {total / 86400, total % 86400 / 3600, total % 3600 / 60, total % 60};
  static const char* const kUnits[] = {"d ", "h ", "m ", "s"};
  std::string text;
  for (int i = 0; i < 4; ++i)
    if (parts[i] > 0) text += std::to_string(parts[i]) + kUnits[i];
  return vb::Trim(text);
}

void timeTimer_Timer(Program& program) {
  AddTrace(program, "timeTimer IN");
  auto& form = program.form();
  // The strip's own area: the primary monitor's part of the window.
  const platform::Monitor strip = StripArea(program.platform.screen(), form);
  const int H = strip.top + strip.height;
  const int W = strip.left + strip.width;

  const platform::LocalTime now = program.now();
  auto& label = form.timeLab();
  label.setAutoSize(true);
  label.setCaption(ClockText(program, now, FormatInterval(program.startTime, program.now())));

  auto& logo = form.picLogo();
  label.setLeft(strip.left + logo.width() + 60);
  label.setTop(H - label.height() - 60);
  label.setAutoSize(false);
  label.setWidth(kLabelWidth);
  label.zOrder(1);

  auto& box = form.urlBox();
  box.setLeft(label.left() + label.width());
  box.setTop(H - box.height() - 30);
  // A window narrower than the strip would give a negative width, which no control takes.
  box.setWidth(std::max(0, W - box.left()));
  box.zOrder(1);
  logo.zOrder(1);

  // A page script may have moved or resized the hidden work browser into view.
  auto& work = program.workBrowser();
  if (work.left() != program.workBrowserLeft) {
    AddStatus(program, "[Timer] reset workBrowser.Left");
    work.setLeft(program.workBrowserLeft);
  }
  if (work.top() != program.workBrowserTop) {
    AddStatus(program, "[Timer] reset workBrowser.Top");
    work.setTop(program.workBrowserTop);
  }
  if (work.width() != kWorkBrowserWidth) {
    AddStatus(program, "[Timer] reset workBrowser.Width");
    work.setWidth(kWorkBrowserWidth);
  }
  if (work.height() != kWorkBrowserHeight) {
    AddStatus(program, "[Timer] reset workBrowser.Height");
    work.setHeight(kWorkBrowserHeight);
  }

  // Whatever stopped the show, it starts again here once no crawl is under way.
  auto& next = program.nextTimer();
  if (!next.enabled() && !program.navPending) next.setEnabled(true);
  AddTrace(program, "timeTimer OUT");
}
