#include "Barcode.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace report {

BarcodeShape encodeBarcode(Symbology symbology, const QString& value) {
  BarcodeShape shape;
  if (value.isEmpty()) return shape;

  const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), &ZBarcode_Delete);
  if (!symbol) return shape;
  symbol->show_hrt = 0;
  if (symbology == Symbology::QrCode) {
    symbol->symbology = BARCODE_QRCODE;
    symbol->input_mode = UNICODE_MODE;
    // Beyond Latin-1 zint would fall back to Shift JIS; say UTF-8 instead.
    const bool latin1 = std::all_of(value.begin(), value.end(), [](QChar c) { return c.unicode() < 256; });
    if (!latin1) symbol->eci = 26;
  } else {
    symbol->symbology = BARCODE_CODE128;  // picks sets A/B/C itself
    symbol->input_mode = DATA_MODE;
  }
  const QByteArray data = value.toUtf8();
  const int error = ZBarcode_Encode_and_Buffer_Vector(
      symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()), static_cast<int>(data.size()), 0);
  if (error >= ZINT_ERROR || !symbol->vector) return shape;

  for (const zint_vector_rect* rect = symbol->vector->rectangles; rect; rect = rect->next)
    shape.modules.append(QRectF(rect->x, rect->y, rect->width, rect->height));
  shape.size = QSizeF(symbol->vector->width, symbol->vector->height);
  return shape;
}

}  // namespace report
