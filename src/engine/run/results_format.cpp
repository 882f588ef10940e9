#include "run/results_format.h"

#include "text/number_format.h"

namespace lumenda::results {

int PlusAnchor(std::string_view row) {
  const size_t p = row.find('+');
  return p == std::string_view::npos ? 0 : CharCount(row.substr(0, p)) + 1;
}

bool IsDataRow(std::string_view line) {
  return line.find('*') != std::string_view::npos;
}

std::string_view RowPath(std::string_view row) {
  const size_t p = row.find('*');
  return p == std::string_view::npos ? std::string_view{} : row.substr(p + 1);
}

std::string FormatRowNum(int num) {
  return FormatFloat("0000", num);
}

}  // namespace lumenda::results
