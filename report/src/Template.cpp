#include "Template.h"

#include <numeric>

namespace report {

double TableItem::blockWidth() const {
  return std::accumulate(columns.begin(), columns.end(), 0.0,
                         [](double sum, const TableColumn& column) { return sum + column.width; });
}

const Report* Template::find(const QString& name) const {
  for (const Report& report : reports) {
    if (report.name == name) return &report;
  }
  return nullptr;
}

}  // namespace report
