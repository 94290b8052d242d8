#include "Document.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double kSmallestShrunkFont = 3.0;
constexpr double kLegibleFont = 5.0;

}  // namespace

// Draws one sheet in device units: millimetres are scaled here, fonts keep
// their point size through the device's own resolution.
class PagePainter {
 public:
  PagePainter(const Document& document, QPainter& painter, int sheet)
      : document_(document), painter_(painter), context_{sheet, document.sheetCount()} {
    const QPaintDevice* device = painter.device();
    scale_ = (device ? device->logicalDpiX() : 72) / 25.4;
    const Page& page = document.report_.page;
    margin_ = QPointF(page.marginLeft, page.marginTop);
  }

  void paint() {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    paintItems(document_.report_.items, margin_, false);
    painter_.restore();
  }

 private:
  QRectF toDevice(const QRectF& mm, QPointF origin) const {
    const QRectF placed = mm.translated(origin);
    return QRectF(placed.x() * scale_, placed.y() * scale_, placed.width() * scale_, placed.height() * scale_);
  }

  QPointF toDevice(QPointF mm, QPointF origin) const { return (mm + origin) * scale_; }

  QPen pen(const QColor& color, double widthMm) const {
    QPen result(color, widthMm * scale_);
    result.setCapStyle(Qt::FlatCap);
    result.setJoinStyle(Qt::MiterJoin);
    return result;
  }

  QString expand(const QString& text) const { return expandPlaceholders(text, document_.parameters_, context_); }

  void paintItems(const std::vector<Item>& items, QPointF origin, bool repeated) {
    for (const Item& item : items) {
      if (!document_.visible(item)) continue;
      const bool onEverySheet = repeated || item.repeat;
      std::visit([&](const auto& content) { paintItem(content, origin, onEverySheet); }, item.content);
    }
  }

  bool skipped(bool onEverySheet) const { return context_.sheet > 0 && !onEverySheet; }

  void paintItem(const GroupItem& group, QPointF origin, bool onEverySheet) {
    paintItems(group.items, origin + group.origin, onEverySheet);
  }

  void paintItem(const TextItem& item, QPointF origin, bool onEverySheet) {
    if (skipped(onEverySheet)) return;
    const bool several = context_.sheetCount > 1 && item.textOnSeveralSheets;
    drawText(toDevice(item.box, origin), expand(several ? *item.textOnSeveralSheets : item.text), item.font, item.align,
             item.wrap, item.clip, item.shrink, item.color);
  }

  void drawText(const QRectF& rect, const QString& text, const FontSpec& spec, Qt::Alignment align, bool wrap,
                bool clip, bool shrink, const QColor& color) {
    if (text.isEmpty() || rect.isEmpty()) return;
    int flags = static_cast<int>(align) | (wrap ? Qt::TextWordWrap : 0);
    QFont font = makeFont(spec, spec.size);
    if (shrink) {
      auto fits = [&] {
        const QRectF needed = QFontMetricsF(font, painter_.device()).boundingRect(rect, flags, text);
        return needed.width() <= rect.width() + 0.5 && needed.height() <= rect.height() + 0.5;
      };
      auto shrinkUntilFits = [&](double floor) {
        double size = spec.size;
        font.setPointSizeF(size);
        while (!fits() && size > floor) {
          size = std::max(floor, size * 0.92);
          font.setPointSizeF(size);
        }
        return fits();
      };
      // Rather than shrink to an illegible size, a wrapped text may
      // break a word too long for its box between letters.
      if (wrap && !shrinkUntilFits(kLegibleFont)) {
        flags = (flags & ~Qt::TextWordWrap) | Qt::TextWrapAnywhere;
        shrinkUntilFits(kSmallestShrunkFont);
      } else if (!wrap) {
        shrinkUntilFits(kSmallestShrunkFont);
      }
    }
    painter_.save();
    if (clip) painter_.setClipRect(rect, Qt::IntersectClip);
    painter_.setFont(font);
    painter_.setPen(color);
    painter_.drawText(rect, flags, text);
    painter_.restore();
  }

  void paintItem(const RectItem& item, QPointF origin, bool onEverySheet) {
    if (skipped(onEverySheet)) return;
    const QRectF rect = toDevice(item.box, origin);
    if (item.fill.isValid()) painter_.fillRect(rect, item.fill);
    if (item.lineWidth > 0 && item.stroke.isValid()) {
      painter_.setPen(pen(item.stroke, item.lineWidth));
      painter_.setBrush(Qt::NoBrush);
      painter_.drawRect(rect);
    }
  }

  void paintItem(const LineItem& item, QPointF origin, bool onEverySheet) {
    if (skipped(onEverySheet) || item.lineWidth <= 0 || !item.color.isValid()) return;
    painter_.setPen(pen(item.color, item.lineWidth));
    painter_.drawLine(toDevice(item.from, origin), toDevice(item.to, origin));
  }

  void paintItem(const ImageItem& item, QPointF origin, bool onEverySheet) {
    const auto found = document_.images_.find(&item);
    if (skipped(onEverySheet) || found == document_.images_.end() || found->second.isNull()) return;
    const QImage& image = found->second;
    const QRectF box = toDevice(item.box, origin);
    QSizeF size = image.size();
    size.scale(box.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(box.center());
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    painter_.drawImage(target, image);
    painter_.restore();
  }

  void paintItem(const BarcodeItem& item, QPointF origin, bool onEverySheet) {
    const auto found = document_.barcodes_.find(&item);
    if (skipped(onEverySheet) || found == document_.barcodes_.end() || found->second.isEmpty()) return;
    const BarcodeShape& shape = found->second;
    const QRectF box = toDevice(item.box, origin);
    QSizeF size = box.size();
    if (item.symbology == Symbology::QrCode)
      size = shape.size.scaled(box.size(), Qt::KeepAspectRatio);  // modules stay square
    QRectF target(QPointF(), size);
    target.moveCenter(box.center());

    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.translate(target.topLeft());
    painter_.scale(target.width() / shape.size.width(), target.height() / shape.size.height());
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::black);
    painter_.drawPath(shape.modules);
    painter_.restore();
  }

  void paintItem(const MarkItem& item, QPointF origin, bool onEverySheet) {
    const QString text = expand(item.text);
    if (skipped(onEverySheet) || text.isEmpty()) return;
    const QRectF box = toDevice(item.box, origin);
    painter_.save();
    painter_.translate(box.center());
    painter_.rotate(item.angle);
    painter_.setFont(makeFont(item.font, item.font.size));
    painter_.setPen(item.color);
    const QRectF around(-box.width() * 2, -box.height() * 2, box.width() * 4, box.height() * 4);
    painter_.drawText(around, Qt::AlignCenter, text);
    painter_.restore();
  }

  void paintItem(const TableItem& item, QPointF /*origin*/, bool /*onEverySheet*/) {
    const auto found = document_.tables_.find(&item);
    if (found == document_.tables_.end()) return;
    const TableFlow& flow = found->second;
    for (const TableSlice& slice : flow.slices) {
      if (slice.sheet == context_.sheet) paintSlice(item, flow, slice);
    }
  }

  // The slice's box is already placed; only the margin is added here.
  void paintSlice(const TableItem& table, const TableFlow& flow, const TableSlice& slice) {
    double blockWidth = 0;
    for (const TableColumn& column : table.columns) blockWidth += column.width;
    const bool continued = slice.sheet > 0;
    for (int block = 0; block < slice.across; ++block) {
      const size_t first = slice.firstLine + static_cast<size_t>(block) * slice.linesPerBlock;
      const size_t end = std::min(slice.firstLine + slice.lineCount, first + slice.linesPerBlock);
      if (block > 0 && first >= end) break;
      const double left = slice.box.x() + block * (blockWidth + table.gap);
      if (slice.headerHeight > 0) paintHeader(table, left, slice.box.y(), slice.headerHeight, continued);
      const double top = slice.box.y() + slice.headerHeight;
      // The row holding the block's first line, then every row that starts before its end.
      auto row = static_cast<size_t>(std::upper_bound(flow.rowStart.begin(), flow.rowStart.end(), first) -
                                     flow.rowStart.begin()) -
                 1;
      for (; row < flow.rows.size() && flow.rowStart[row] < end; ++row) {
        const size_t from = std::max(first, flow.rowStart[row]);
        const size_t to = std::min(end, flow.rowStart[row + 1]);
        paintRowPiece(table, flow, row, from - flow.rowStart[row], to - from,
                      QPointF(left, top + static_cast<double>(from - first) * table.rowHeight));
      }
    }
  }

  QRectF cellText(const QRectF& mm) const { return toDevice(mm.adjusted(kCellPadding, 0, -kCellPadding, 0), margin_); }

  void paintHeader(const TableItem& table, double x, double y, double height, bool continued) {
    for (const TableColumn& spec : table.columns) {
      const QRectF cell(x, y, spec.width, height);
      drawCellFrame(table, toDevice(cell, margin_));
      const QString& header = continued && spec.continuationHeader ? *spec.continuationHeader : spec.header;
      drawText(cellText(cell), header, table.headerFont, spec.align | Qt::AlignVCenter, false, true, true, Qt::black);
      x += spec.width;
    }
  }

  // Lines [firstLine, firstLine + lineCount) of a row, from topLeft down; a
  // cell that does not wrap shows on its row's first line.
  void paintRowPiece(const TableItem& table, const TableFlow& flow, size_t row, size_t firstLine, size_t lineCount,
                     QPointF topLeft) {
    const QStringList& cells = flow.rows[row];
    double x = topLeft.x();
    for (size_t column = 0; column < table.columns.size(); ++column) {
      const TableColumn& spec = table.columns[column];
      drawCellFrame(
          table,
          toDevice(QRectF(x, topLeft.y(), spec.width, static_cast<double>(lineCount) * table.rowHeight), margin_));
      auto drawLine = [&](size_t line, const QString& text) {
        const QRectF rect(x, topLeft.y() + static_cast<double>(line - firstLine) * table.rowHeight, spec.width,
                          table.rowHeight);
        drawText(cellText(rect), text, table.font, spec.align | Qt::AlignVCenter, false, true, true, Qt::black);
      };
      if (spec.wrap && !flow.wrapped.empty()) {
        const QStringList& lines = flow.wrapped[row][column];
        for (size_t line = firstLine; line < firstLine + lineCount && line < static_cast<size_t>(lines.size()); ++line)
          drawLine(line, lines[static_cast<qsizetype>(line)]);
      } else if (firstLine == 0 && column < static_cast<size_t>(cells.size())) {
        drawLine(0, cells[static_cast<qsizetype>(column)]);
      }
      x += spec.width;
    }
  }

  void drawCellFrame(const TableItem& table, const QRectF& rect) {
    if (!table.grid) return;
    painter_.setPen(pen(Qt::black, 0.15));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(rect);
  }

  const Document& document_;
  QPainter& painter_;
  SheetContext context_;
  double scale_ = 1.0;
  QPointF margin_;
};

void Document::paintPage(QPainter& painter, int sheet) const { PagePainter(*this, painter, sheet).paint(); }

}  // namespace report
