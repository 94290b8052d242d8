#pragma once

#include "Template.h"

namespace report {

// Reads and checks a ".rav" file; throws ERvProjectError naming the file.
Template readTemplate(const QString& path);
Template parseTemplate(const QByteArray& json, const QString& path);

}  // namespace report
