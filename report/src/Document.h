#pragma once
// A report filled from the parameters: sheets counted, table rows spread over
// them, pictures and barcodes made. paintPage draws one sheet on any device.

#include "Barcode.h"
#include "Template.h"

#include <QFont>
#include <QImage>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

class QPainter;

namespace report {

using Parameters = std::map<QString, QString>;

// The lines [firstLine, firstLine + lineCount) in one of the copies of the columns.
struct TableBlock {
  size_t firstLine = 0;
  size_t lineCount = 0;
};

// A table's part on one sheet. A line is one rowHeight: a plain row is one line, a row with
// wrapped cells as many as its longest cell needs.
struct TableSlice {
  int sheet = 0;
  QRectF box;
  std::vector<TableBlock> blocks;  // side by side
  double headerHeight = 0.0;       // the caption's included
  double captionHeight = 0.0;
  QString caption;
  bool continued = false;  // the table began on an earlier sheet
  size_t tallestBlock() const;
};

struct TableFlow {
  std::vector<QStringList> rows;
  // The lines of each wrapped cell, by row and column; empty when no column wraps.
  std::vector<std::vector<QStringList>> wrapped;
  // The first line of each row, and the total after the last row.
  std::vector<size_t> rowStart;
  // Rows that head a group (its name, one cell across the columns), and the group of each row.
  std::vector<bool> groupRow;
  std::vector<int> groupOf;
  QStringList groupNames;
  std::vector<double> widths;  // of the columns, sized from their content
  double blockWidth = 0.0;
  std::vector<TableSlice> slices;
};

// Space between a cell's frame and its text, left and right.
constexpr double kCellPadding = 0.8;

// The page counters that placeholders can show on a given sheet.
struct SheetContext {
  int sheet = 0;
  int sheetCount = 1;
};

QString expandPlaceholders(const QString& text, const Parameters& parameters, const SheetContext& context);

class Document {
 public:
  // Throws ERvProjectError when a picture named cannot be read, when a table's box is too low
  // for one row (naming templatePath), or when the rows would take more sheets than the limit.
  Document(const Report& report, const Parameters& parameters, const QString& templatePath);

  int sheetCount() const { return sheetCount_; }
  QString title() const;
  bool landscape() const { return report_.page.landscape; }
  QSizeF pageSizeMm() const { return report_.page.sizeMm(); }

  // Every output draws through this; the painter's device fixes the scale.
  void paintPage(QPainter& painter, int sheet) const;

  // Texts drawn so far that did not fit their fixed box and were cut, one line each.
  const QStringList& overflows() const { return overflows_; }

 private:
  // Where items go on the first sheet and where their tables continue; returns the lowest edge filled.
  struct Placement {
    QPointF origin;
    QPointF continuationOrigin;
    double bottomLimit;  // a stack's end: tables stop there on the first sheet
  };
  double fill(const std::vector<Item>& items, const Placement& at);
  double fillStack(const GroupItem& stack, const Placement& at);
  double flowTable(const TableItem& table, const Placement& at);
  bool visible(const Item& item) const;

  const Report& report_;
  const Parameters& parameters_;
  QString templatePath_;
  int sheetCount_ = 1;
  std::map<const TableItem*, TableFlow> tables_;
  std::map<const ImageItem*, QImage> images_;
  std::map<const BarcodeItem*, BarcodeShape> barcodes_;
  std::map<const GroupItem*, QPointF> stackedOrigins_;  // the children of stacks
  // Height taken on each sheet of a continuation box, by box.
  std::map<std::array<double, 4>, std::vector<double>> continuationUse_;
  mutable QStringList overflows_;

  friend class PagePainter;
};

}  // namespace report
