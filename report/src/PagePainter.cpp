#include "Document.h"
#include "ScaledText.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace report {

namespace {

constexpr double kShrinkStep = 0.92;
// Laying out this many letters costs less than measuring how many of them a box can show.
constexpr qsizetype kAlwaysLaidOutWhole = 500;

// How a text sits in its box; table cells take the defaults.
struct TextStyle {
  const TextFont& font;
  Qt::Alignment align;
  bool wrap = false;
  bool clip = true;
  bool shrink = true;
  QColor color = Qt::black;
};

// Half a device unit of slack: a text measured to the box's own width still fits it.
constexpr double kFitSlack = 0.5;

bool fitsIn(const QSizeF& needed, const QSizeF& box) {
  return needed.width() <= box.width() + kFitSlack && needed.height() <= box.height() + kFitSlack;
}

// The content's size scaled into the box by the mode, centred in it.
QRectF fitInBox(const QRectF& box, const QSizeF& content, Qt::AspectRatioMode mode) {
  QRectF target(QPointF(), content.scaled(box.size(), mode));
  target.moveCenter(box.center());
  return target;
}

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
    paintItems(document_.report_.items, margin_, Sheets::First);
    canvas().restore();
  }

 private:
  QRectF toDevice(const QRectF& mm, QPointF origin) const {
    const QRectF placed = mm.translated(origin);
    return QRectF(placed.x() * scale_, placed.y() * scale_, placed.width() * scale_, placed.height() * scale_);
  }

  QPointF toDevice(QPointF mm, QPointF origin) const { return (mm + origin) * scale_; }

  // The painter for anything but a batched line of text, which is drawn first to keep the order.
  QPainter& canvas() {
    batch_.flush(painter_);
    return painter_;
  }

  QPen pen(const QColor& color, double widthMm) const {
    QPen result(color, widthMm * scale_);
    result.setCapStyle(Qt::FlatCap);
    result.setJoinStyle(Qt::MiterJoin);
    return result;
  }

  QString expand(const QString& text) const { return expandPlaceholders(text, document_.parameters_, context_); }

  // An item takes its group's sheets unless it names its own.
  void paintItems(const std::vector<Item>& items, QPointF origin, Sheets inherited) {
    for (const Item& item : items) {
      if (!document_.visible(item)) continue;
      const Sheets sheets = item.sheets == Sheets::First ? inherited : item.sheets;
      std::visit([&](const auto& content) { paintItem(content, origin, sheets); }, item.content);
    }
  }

  bool skipped(Sheets sheets) const {
    const bool first = context_.sheet == 0;
    return sheets == Sheets::First ? !first : sheets == Sheets::Later && first;
  }

  void paintItem(const GroupItem& group, QPointF origin, Sheets sheets) {
    const auto stacked = document_.stackedOrigins_.find(&group);
    paintItems(group.items,
               stacked == document_.stackedOrigins_.end() ? origin + group.origin : margin_ + stacked->second,
               sheets);
  }

  void paintItem(const TextItem& item, QPointF origin, Sheets sheets) {
    if (skipped(sheets)) return;
    const bool several = context_.sheetCount > 1 && item.textOnSeveralSheets;
    drawText(toDevice(item.box, origin), expand(several ? *item.textOnSeveralSheets : item.text),
             TextStyle{item.font, item.align, item.wrap, item.clip, item.shrink, item.color});
  }

  // The start of the text that can ever be seen: a hostile text millions of letters long is
  // measured no further than its box (the sheet, when unclipped) shows at the smallest size.
  QString visiblePart(const QString& text, const QRectF& rect, const TextStyle& style) const {
    if (text.size() <= kAlwaysLaidOutWhole) return text;
    const TextFont& face = style.font;
    const TextScale smallest(face, style.shrink ? std::min(face.size, face.minSize) : face.size, painter_.device());
    const QFontMetricsF metrics(smallest.font(), painter_.device());
    const double narrowest = std::max(1.0, metrics.horizontalAdvance(u'.') * smallest.factor() / 2);
    const double lineHeight = std::max(1.0, metrics.height() * smallest.factor());
    const QRectF sheet = painter_.window();
    const double width = style.clip ? rect.width() : std::max(rect.width(), sheet.width());
    const double height = style.clip ? rect.height() : std::max(rect.height(), sheet.height());
    const bool severalLines = style.wrap || text.contains(u'\n');
    const double letters = (width / narrowest + 1) * (severalLines ? height / lineHeight + 1 : 1);
    return letters < static_cast<double>(text.size()) ? text.left(static_cast<qsizetype>(letters)) : text;
  }

  void drawText(const QRectF& rect, const QString& fullText, const TextStyle& style) {
    if (fullText.isEmpty() || rect.isEmpty()) return;
    const QString text = visiblePart(fullText, rect, style);
    if (!style.wrap && !text.contains(u'\n')) {
      drawOneLine(rect, text, style);
      return;
    }
    const TextFont& face = style.font;
    const Qt::Alignment align = style.align;
    const TextScale scale(face, face.size, painter_.device());
    auto layOut = [&](double size, QTextOption::WrapMode mode) {
      return layOutBlock(text, scale.resized(size), style.wrap ? rect.width() : -1, mode, align);
    };
    TextBlock block = layOut(face.size, QTextOption::WordWrap);
    bool inside = fitsIn(block.size, rect.size());  // measured within its box, so it needs no clip
    if (style.shrink) {
      // Rather than shrink below the legible size, a wrapped text may
      // break a word too long for its box between letters.
      for (double size = face.size; !inside && size > face.minSize;) {
        size = std::max(face.minSize, size * kShrinkStep);
        block = layOut(size, QTextOption::WordWrap);
        inside = fitsIn(block.size, rect.size());
      }
      if (style.wrap && !inside) {
        block = layOut(block.scale.pointSize(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        inside = fitsIn(block.size, rect.size());
      }
    }
    const bool clipped = style.clip && !inside;
    if (clipped) {
      document_.overflows_ << fullText;
      canvas().save();
      painter_.setClipRect(rect, Qt::IntersectClip);
    }
    canvas().setPen(style.color);
    glyphs_.draw(painter_, block, rect, align);
    if (clipped) painter_.restore();
  }

  // A text on one line at the size that fits its box: laid out once, at the reference size, as
  // its width and height scale with the size.
  struct FittedLine {
    QList<QGlyphRun> runs;
    QSizeF needed;
    bool fits = true;
  };

  FittedLine fitLine(const QSizeF& box, const QString& text, const TextStyle& style) {
    const TextFont& face = style.font;
    QTextOption option(style.align);
    option.setWrapMode(QTextOption::NoWrap);
    TextScale scale(face, face.size, painter_.device());
    QTextLayout layout(text, scale.font(), painter_.device());
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    FittedLine fitted;
    auto measureAt = [&](double size) {
      scale = scale.resized(size);
      const double k = scale.factor();
      fitted.needed = QSizeF(line.naturalTextWidth() * k, std::ceil((line.ascent() + line.descent()) * k));
      fitted.fits = fitsIn(fitted.needed, box);
    };
    double size = face.size;
    measureAt(size);
    while (style.shrink && !fitted.fits && size > face.minSize) {
      size = std::max(face.minSize, size * kShrinkStep);
      measureAt(size);
    }
    fitted.runs = glyphs_.runs(line, scale);
    return fitted;
  }

  // Most texts, every table cell among them, drawn from the glyphs that were measured. A long
  // table repeats its texts (a municipality for each of its keys): each is fitted once a sheet.
  void drawOneLine(const QRectF& rect, const QString& text, const TextStyle& style) {
    const FittedKey key{text, &style.font, style.align, style.shrink, rect.width(), rect.height()};
    auto known = fittedLines_.find(key);
    if (known == fittedLines_.end()) known = fittedLines_.emplace(key, fitLine(rect.size(), text, style)).first;
    const FittedLine& fitted = known->second;
    const Qt::Alignment align = style.align;
    QPointF at = rect.topLeft();
    if (align & Qt::AlignHCenter) at.rx() += (rect.width() - fitted.needed.width()) / 2;
    if (align & Qt::AlignRight) at.rx() += rect.width() - fitted.needed.width();
    if (align & Qt::AlignVCenter) at.ry() += (rect.height() - fitted.needed.height()) / 2;
    if (align & Qt::AlignBottom) at.ry() += rect.height() - fitted.needed.height();
    if (style.clip && !fitted.fits) {
      document_.overflows_ << text;
      canvas().save();
      painter_.setClipRect(rect, Qt::IntersectClip);
      painter_.setPen(style.color);
      ScaledGlyphs::draw(painter_, fitted.runs, at);
      painter_.restore();
    } else {
      batch_.add(painter_, fitted.runs, at, style.color);
    }
  }

  void paintItem(const RectItem& item, QPointF origin, Sheets sheets) {
    if (skipped(sheets)) return;
    const QRectF rect = toDevice(item.box, origin);
    if (item.fill.isValid()) canvas().fillRect(rect, item.fill);
    if (item.lineWidth > 0 && item.stroke.isValid()) {
      canvas().setPen(pen(item.stroke, item.lineWidth));
      painter_.setBrush(Qt::NoBrush);
      painter_.drawRect(rect);
    }
  }

  void paintItem(const LineItem& item, QPointF origin, Sheets sheets) {
    if (skipped(sheets) || item.lineWidth <= 0 || !item.color.isValid()) return;
    canvas().setPen(pen(item.color, item.lineWidth));
    painter_.drawLine(toDevice(item.from, origin), toDevice(item.to, origin));
  }

  void paintItem(const ImageItem& item, QPointF origin, Sheets sheets) {
    const auto found = document_.images_.find(&item);
    if (skipped(sheets) || found == document_.images_.end() || found->second.isNull()) return;
    const QImage& image = found->second;
    canvas().save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    painter_.drawImage(fitInBox(toDevice(item.box, origin), image.size(), Qt::KeepAspectRatio), image);
    painter_.restore();
  }

  void paintItem(const BarcodeItem& item, QPointF origin, Sheets sheets) {
    const auto found = document_.barcodes_.find(&item);
    if (skipped(sheets) || found == document_.barcodes_.end() || found->second.isEmpty()) return;
    const BarcodeShape& shape = found->second;
    // A QR code's modules stay square; a bar code fills its box.
    const QRectF target = fitInBox(toDevice(item.box, origin), shape.size,
                                   item.symbology == Symbology::QrCode ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio);

    canvas().save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.translate(target.topLeft());
    painter_.scale(target.width() / shape.size.width(), target.height() / shape.size.height());
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::black);
    // Filled as one path of rectangles, so touching modules leave no seams; a PDF writes each
    // as "re", under half the bytes of a general path.
    painter_.drawRects(shape.modules.constData(), static_cast<int>(shape.modules.size()));
    painter_.restore();
  }

  void paintItem(const MarkItem& item, QPointF origin, Sheets sheets) {
    const QString text = expand(item.text);
    if (skipped(sheets) || text.isEmpty()) return;
    const QRectF box = toDevice(item.box, origin);
    canvas().save();
    painter_.translate(box.center());
    painter_.rotate(item.angle);
    painter_.setPen(item.color);
    const QRectF around(-box.width() * 2, -box.height() * 2, box.width() * 4, box.height() * 4);
    glyphs_.draw(painter_,
                 layOutBlock(text, TextScale(item.font, item.font.size, painter_.device()), -1, QTextOption::WordWrap,
                             Qt::AlignCenter),
                 around, Qt::AlignCenter);
    painter_.restore();
  }

  void paintItem(const TableItem& item, QPointF /*origin*/, Sheets /*sheets*/) {
    const auto found = document_.tables_.find(&item);
    if (found == document_.tables_.end()) return;
    const TableFlow& flow = found->second;
    for (const TableSlice& slice : flow.slices) {
      if (slice.sheet == context_.sheet) paintSlice(item, flow, slice);
    }
  }

  // The slice's box is already placed; only the margin is added here. Each
  // block draws its grid first, in one stroke style, then its texts.
  void paintSlice(const TableItem& table, const TableFlow& flow, const TableSlice& slice) {
    std::vector<RowPiece> pieces;
    if (slice.captionHeight > 0) {
      drawText(cellText(QRectF(slice.box.x(), slice.box.y(), slice.box.width(), slice.captionHeight)), slice.caption,
               TextStyle{table.headerFont, Qt::AlignLeft | Qt::AlignVCenter});
    }
    const double headerTop = slice.box.y() + slice.captionHeight;
    const double headerHeight = slice.headerHeight - slice.captionHeight;
    for (size_t block = 0; block < std::max<size_t>(1, slice.blocks.size()); ++block) {
      const double left = slice.box.x() + static_cast<double>(block) * (flow.blockWidth + table.gap);
      const double top = slice.box.y() + slice.headerHeight;
      pieces.clear();
      if (block < slice.blocks.size()) {
        // The row holding the block's first line, then every row that starts before its end.
        const size_t first = slice.blocks[block].firstLine;
        const size_t end = first + slice.blocks[block].lineCount;
        auto row = static_cast<size_t>(std::upper_bound(flow.rowStart.begin(), flow.rowStart.end(), first) -
                                       flow.rowStart.begin()) -
                   1;
        for (; row < flow.rows.size() && flow.rowStart[row] < end; ++row) {
          const size_t from = std::max(first, flow.rowStart[row]);
          const size_t to = std::min(end, flow.rowStart[row + 1]);
          pieces.push_back({row, from - flow.rowStart[row], to - from,
                            top + static_cast<double>(from - first) * table.rowHeight});
        }
      }
      if (table.grid) drawGrid(table, flow, left, headerTop, headerHeight, pieces);
      if (headerHeight > 0) paintHeader(table, flow, left, headerTop, headerHeight, slice.continued);
      for (const RowPiece& piece : pieces) paintRowPiece(table, flow, piece, left);
    }
  }

  // Lines [firstLine, firstLine + lineCount) of a row, from y down.
  struct RowPiece {
    size_t row;
    size_t firstLine;
    size_t lineCount;
    double y;
  };

  // The frames of every cell, each edge stroked once; a group's name stands in one cell across.
  void drawGrid(const TableItem& table, const TableFlow& flow, double left, double top, double headerHeight,
                const std::vector<RowPiece>& pieces) {
    std::vector<QLineF> lines;
    auto mm = [this](double x, double y) { return toDevice(QPointF(x, y), margin_); };
    const double right = left + flow.blockWidth;
    auto across = [&](double y) { lines.emplace_back(mm(left, y), mm(right, y)); };
    // Vertical edges, over runs of rows that are all cells or all group names.
    auto columnEdges = [&](double from, double to, bool grouped) {
      if (to <= from) return;
      double x = left;
      for (size_t column = 0; column <= flow.widths.size(); ++column) {
        if (!grouped || column == 0 || column == flow.widths.size()) lines.emplace_back(mm(x, from), mm(x, to));
        if (column < flow.widths.size()) x += flow.widths[column];
      }
    };
    if (headerHeight > 0) {
      across(top);
      across(top + headerHeight);
      columnEdges(top, top + headerHeight, false);
    } else if (!pieces.empty()) {
      across(pieces.front().y);
    }
    double runTop = pieces.empty() ? 0 : pieces.front().y;
    for (size_t i = 0; i < pieces.size(); ++i) {
      const RowPiece& piece = pieces[i];
      const double bottom = piece.y + static_cast<double>(piece.lineCount) * table.rowHeight;
      across(bottom);
      const bool grouped = flow.groupRow[piece.row];
      if (i + 1 == pieces.size() || flow.groupRow[pieces[i + 1].row] != grouped) {
        columnEdges(runTop, bottom, grouped);
        runTop = bottom;
      }
    }
    if (lines.empty()) return;
    QPen grid = pen(Qt::black, 0.15);
    grid.setCapStyle(Qt::SquareCap);  // closes the corners as a frame would
    canvas().setPen(grid);
    painter_.drawLines(lines.data(), static_cast<int>(lines.size()));
  }

  QRectF cellText(const QRectF& mm) const { return toDevice(mm.adjusted(kCellPadding, 0, -kCellPadding, 0), margin_); }

  void paintHeader(const TableItem& table, const TableFlow& flow, double x, double y, double height, bool continued) {
    for (size_t column = 0; column < table.columns.size(); ++column) {
      const TableColumn& cellColumn = table.columns[column];
      const QString& header =
          continued && cellColumn.continuationHeader ? *cellColumn.continuationHeader : cellColumn.header;
      drawText(cellText(QRectF(x, y, flow.widths[column], height)), header,
               TextStyle{table.headerFont, cellColumn.align | Qt::AlignVCenter});
      x += flow.widths[column];
    }
  }

  // A cell that does not wrap shows on its row's first line.
  void paintRowPiece(const TableItem& table, const TableFlow& flow, const RowPiece& piece, double x) {
    const QStringList& cells = flow.rows[piece.row];
    if (flow.groupRow[piece.row]) {
      drawText(cellText(QRectF(x, piece.y, flow.blockWidth, table.rowHeight)), cells.value(0),
               TextStyle{table.groupFont, Qt::AlignLeft | Qt::AlignVCenter});
      return;
    }
    for (size_t column = 0; column < table.columns.size(); ++column) {
      const TableColumn& cellColumn = table.columns[column];
      const double width = flow.widths[column];
      auto drawLine = [&](size_t line, const QString& text) {
        const QRectF rect(x, piece.y + static_cast<double>(line - piece.firstLine) * table.rowHeight, width,
                          table.rowHeight);
        drawText(cellText(rect), text, TextStyle{table.font, cellColumn.align | Qt::AlignVCenter});
      };
      if (cellColumn.wrap && !flow.wrapped.empty()) {
        const QStringList& lines = flow.wrapped[piece.row][column];
        const size_t end = std::min(piece.firstLine + piece.lineCount, static_cast<size_t>(lines.size()));
        for (size_t line = piece.firstLine; line < end; ++line) drawLine(line, lines[static_cast<qsizetype>(line)]);
      } else if (piece.firstLine == 0 && column < static_cast<size_t>(cells.size())) {
        drawLine(0, cells[static_cast<qsizetype>(column)]);
      }
      x += width;
    }
  }

  using FittedKey = std::tuple<QString, const TextFont*, int, bool, double, double>;

  const Document& document_;
  QPainter& painter_;
  SheetContext context_;
  double scale_ = 1.0;
  QPointF margin_;
  std::map<FittedKey, FittedLine> fittedLines_;
  ScaledGlyphs glyphs_;
  GlyphBatch batch_;
};

void Document::paintPage(QPainter& painter, int sheet) const { PagePainter(*this, painter, sheet).paint(); }

}  // namespace report
