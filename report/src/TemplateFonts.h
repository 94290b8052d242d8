#pragma once

#include <QString>

namespace report {

// Makes the fonts in the "fonts" folder beside a template available by their family names, once
// per folder for the process, so that pages do not depend on the fonts a machine has. Needs the
// QGuiApplication; throws ERvProjectError naming a font file Qt cannot load.
void registerFontsBeside(const QString& templatePath);

}  // namespace report
