#pragma once
// Display formats a template names for a value: "{name|format}" in a text,
// "format" on a table column. A value a format cannot read is shown as written.

#include <QString>

namespace report {

bool isDisplayFormat(const QString& format);

// The value as the format shows it; an unknown format leaves it as written.
QString displayFormatted(const QString& format, const QString& value);

}  // namespace report
