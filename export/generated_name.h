// Names of the files that the batch export writes. Free of Windows headers so they are tested
// natively with a scripted clock.
#pragma once

#include <functional>
#include <string>

namespace app {

// One reading of the local clock, in whole seconds.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

using Clock = std::function<LocalTime()>;

// Year, month, day, hour, minute and second, then the icon number and ".ico", run together as
// plain decimals with no padding: icon 12 at 09:05:03 on 17 June 2011 is "201161795312.ico".
// Each of the six pieces comes from a reading of its own, taken in that order, so a name built
// while the clock crosses a boundary mixes the two moments (hour 9 with minute 0 when 09:59:59
// turns between the hour and the minute reading). Names are therefore not unique; see uniqueName.
std::wstring generatedFileName(const Clock& now, int iconNumber);

// The path itself when nothing holds it yet; otherwise the first free one of "_2", "_3", ...
// placed before the extension ("a.ico", "a_2.ico", "a_3.ico"). A path without an extension gets
// the suffix at its end. Gives up (returns the empty text) only when every suffix up to a very
// large bound is taken, so a full folder cannot make it loop for ever.
std::wstring uniqueName(const std::wstring& path, const std::function<bool(const std::wstring&)>& taken);

}  // namespace app
