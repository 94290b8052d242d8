#pragma once
// A report filled from the parameters: sheets counted, table rows spread over
// them, pictures and barcodes made. paintPage draws one sheet on any device.

#include "Barcode.h"
#include "Template.h"

#include <QImage>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

class QPainter;

namespace report {

using Parameters = std::map<QString, QString>;

struct TableSlice {
  int sheet = 0;
  QRectF box;
  size_t firstRow = 0;
  size_t rowCount = 0;
  int across = 1;
};

struct TableFlow {
  std::vector<QStringList> rows;
  std::vector<TableSlice> slices;
};

// The page counters that placeholders can show on a given sheet.
struct SheetContext {
  int sheet = 0;
  int sheetCount = 1;
};

QString expandPlaceholders(const QString& text, const Parameters& parameters, const SheetContext& context);

class Document {
 public:
  // Throws ERvProjectError (naming templatePath) when a table holds no row.
  Document(const Report& report, const Parameters& parameters, const QString& templatePath);

  int sheetCount() const { return sheetCount_; }
  QString title() const;
  bool landscape() const { return report_.page.landscape; }
  QSizeF pageSizeMm() const { return report_.page.sizeMm(); }

  // Every output draws through this; the painter's device fixes the scale.
  void paintPage(QPainter& painter, int sheet) const;

 private:
  void fill(const std::vector<Item>& items, QPointF origin);
  void flowTable(const TableItem& table, QPointF origin);
  bool visible(const Item& item) const;

  const Report& report_;
  const Parameters& parameters_;
  QString templatePath_;
  int sheetCount_ = 1;
  std::map<const TableItem*, TableFlow> tables_;
  std::map<const ImageItem*, QImage> images_;
  std::map<const BarcodeItem*, BarcodeShape> barcodes_;
  // Height taken on each sheet of a continuation box, by box.
  std::map<std::array<double, 4>, std::vector<double>> continuationUse_;

  friend class PagePainter;
};

}  // namespace report
