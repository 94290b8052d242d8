#pragma once

#include "Template.h"

#include <QList>
#include <QRectF>

namespace report {

// The dark modules of a symbol in its own units; empty when the value is
// empty or the symbology cannot encode it.
struct BarcodeShape {
  QList<QRectF> modules;
  QSizeF size;
  bool isEmpty() const { return modules.isEmpty(); }
};

BarcodeShape encodeBarcode(Symbology symbology, const QString& value);

}  // namespace report
