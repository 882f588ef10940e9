// The time scales of the light curve: what a row's date becomes on the plot
// and in the reports.
#pragma once

#include <string>
#include <string_view>

#include "curves/graph_settings.h"

namespace lumenda {

// Sky position used for the heliocentric and barycentric corrections.
struct SkyPosition {
  std::string ra;   // "hh mm ss.s"
  std::string dec;  // "+dd mm ss"
};

// Calendar time value of an MPC date text (0 for the null date).
double CalendarOfDate(std::string_view mpcDate);
// The MPC date text of a calendar time value.
std::string DateOfCalendar(double calendarTime);

// The date written in a report's date column: HJD / BJD text ("0000000.00000"),
// GJD text ("0.00000"), "dd/mm/yyyy hh:nn:ss" or the MPC date itself.
std::string ScaleDateText(TimeScale scale, std::string_view mpcDate, const SkyPosition& position);

// Plot time: HJD, GJD or BJD in days, or the calendar time value for the two
// date scales.
double PlotTime(TimeScale scale, std::string_view mpcDate, const SkyPosition& position);

// Caption of the time axis: "HJD_UTC", "GJD_UTC", "BJD_UTC" or "UTC".
std::string ScaleCaption(TimeScale scale);

// The whole days subtracted from plotted times and the caption shown with
// them. Under a day of span the base is the first row's whole day and the
// caption reads e.g. "HJD_UTC: 2454691 +"; otherwise the base is 0.
struct ChartBase {
  int dayBase = 0;
  std::string caption;
};
ChartBase ChartDayBase(TimeScale scale, std::string_view firstDate, std::string_view lastDate,
                       const SkyPosition& position);

}  // namespace lumenda
