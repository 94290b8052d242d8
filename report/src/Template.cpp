#include "Template.h"

namespace report {

const Report* Template::find(const QString& name) const {
  for (const Report& report : reports) {
    if (report.name == name) return &report;
  }
  return nullptr;
}

}  // namespace report
