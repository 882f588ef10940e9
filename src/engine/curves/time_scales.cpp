#include "curves/time_scales.h"

#include <cmath>

#include "astro/time.h"
#include "text/dates.h"
#include "text/number_format.h"

namespace lumenda {

double CalendarOfDate(std::string_view mpcDate) {
  return DateStringToDateTime(mpcDate);
}

std::string DateOfCalendar(double calendarTime) {
  return DateTimeToDateString(calendarTime);
}

std::string ScaleDateText(TimeScale scale, std::string_view mpcDate, const SkyPosition& position) {
  switch (scale) {
    case TimeScale::kHjd:
      return HeliocentricJD(DateToJD(mpcDate), position.ra, position.dec);
    case TimeScale::kBjd:
      return BarycentricJD(DateToJD(mpcDate), position.ra, position.dec);
    case TimeScale::kGjd:
      return DateToJD(mpcDate);
    case TimeScale::kDateTime: {
      const double t = CalendarOfDate(mpcDate);
      return FormatDate("dd/mm/yyyy", t) + " " + FormatTime("hh:nn:ss", t);
    }
    case TimeScale::kMpc:
      break;
  }
  return std::string(mpcDate);
}

double PlotTime(TimeScale scale, std::string_view mpcDate, const SkyPosition& position) {
  if (scale == TimeScale::kMpc || scale == TimeScale::kDateTime) return CalendarOfDate(mpcDate);
  return ParseDouble(ScaleDateText(scale, mpcDate, position)).value_or(0.0);
}

std::string ScaleCaption(TimeScale scale) {
  switch (scale) {
    case TimeScale::kHjd:
      return "HJD_UTC";
    case TimeScale::kBjd:
      return "BJD_UTC";
    case TimeScale::kGjd:
      return "GJD_UTC";
    default:
      return "UTC";
  }
}

ChartBase ChartDayBase(TimeScale scale, std::string_view firstDate, std::string_view lastDate,
                       const SkyPosition& position) {
  ChartBase base;
  base.caption = ScaleCaption(scale);
  const double first = PlotTime(scale, firstDate, position);
  const double last = PlotTime(scale, lastDate, position);
  if (last - first >= 1.0) return base;
  base.dayBase = static_cast<int>(std::floor(first));
  std::string day;
  if (scale == TimeScale::kMpc)
    day = FormatDate("yyyymmdd", first);
  else if (scale == TimeScale::kDateTime)
    day = FormatDate("dd/mm/yyyy", first);
  else
    day = IntToStr(base.dayBase);
  base.caption += ": " + day + " +";
  return base;
}

}  // namespace lumenda
