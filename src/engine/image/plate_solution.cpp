#include "image/plate_solution.h"

#include "text/number_format.h"

namespace lumenda {

PlateReading ReadPlateSolution(const TPlaca& image) {
  PlateReading reading;
  PlateSolution& p = reading.solution;
  const struct {
    const char* key;
    double* value;
  } fields[] = {{"CRPIX1", &p.crpix1}, {"CRVAL1", &p.crval1}, {"CDELT1", &p.cdelt1},
                {"CROTA1", &p.crota1}, {"CRPIX2", &p.crpix2}, {"CRVAL2", &p.crval2},
                {"CDELT2", &p.cdelt2}, {"CROTA2", &p.crota2}};
  for (const auto& field : fields) {
    const auto v = ParseDouble(image.GetKeyword(field.key));
    if (!v) return PlateReading{};
    *field.value = *v;
  }
  reading.valid = true;
  return reading;
}

}  // namespace lumenda
