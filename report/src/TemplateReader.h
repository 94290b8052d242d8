#pragma once

#include "Template.h"

#include <memory>

namespace report {

// Reads and checks a ".rav" file; throws ERvProjectError naming the file. A file read before with
// the same bytes gives the template parsed then: a batch parses its templates once.
std::shared_ptr<const Template> openTemplate(const QString& path);
Template parseTemplate(const QByteArray& json, const QString& path);

}  // namespace report
