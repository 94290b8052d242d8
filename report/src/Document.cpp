#include "Document.h"

#include "DisplayFormat.h"
#include "RvProject.h"
#include "ScaledText.h"

#include <QHash>
#include <QImageReader>
#include <QTextLayout>

#include <algorithm>

#include <cmath>
#include <limits>
#include <numeric>

namespace report {

namespace {

// Far more than any real manifest needs; a hostile list stops here instead of making thousands.
constexpr int kMaxSheets = 500;
constexpr double kStackedTableGap = 2.0;
constexpr int kMeasuringDpi = 600;  // the PDF writer's

std::vector<QStringList> splitRows(const QString& list) {
  std::vector<QStringList> rows;
  for (QStringView line : QStringView(list).split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    if (!line.isEmpty()) rows.push_back(line.toString().split(u'\t'));
  }
  return rows;
}

void formatCells(const TableItem& table, std::vector<QStringList>& rows) {
  for (size_t column = 0; column < table.columns.size(); ++column) {
    const QString& format = table.columns[column].format;
    if (format.isEmpty()) continue;
    for (QStringList& cells : rows) {
      if (static_cast<qsizetype>(column) < cells.size()) {
        QString& cell = cells[static_cast<qsizetype>(column)];
        if (!cell.isEmpty()) cell = displayFormatted(format, cell);
      }
    }
  }
}

// Breaks a cell's text as the painter will draw it, measured at the PDF's
// resolution; a word wider than the cell breaks between letters.
QStringList wrapText(const QString& text, const TextScale& scale, double widthMm, const QPaintDevice& device) {
  // A little slack for coarser devices, whose hinted glyphs may be wider.
  const double width = std::max(0.0, widthMm / 25.4 * device.logicalDpiX() * 0.98) / scale.factor();
  QTextLayout layout(text, scale.font(), &device);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    const QString piece = text.mid(line.textStart(), line.textLength()).trimmed();
    if (!piece.isEmpty()) lines << piece;
  }
  layout.endLayout();
  return lines;
}

// Fills rowStart, and the lines of wrapped cells.
void layOutLines(const TableItem& table, TableFlow& flow) {
  flow.rowStart.resize(flow.rows.size() + 1);
  const bool wraps =
      std::any_of(table.columns.begin(), table.columns.end(), [](const TableColumn& c) { return c.wrap; });
  if (!wraps) {
    std::iota(flow.rowStart.begin(), flow.rowStart.end(), size_t{0});
    return;
  }
  QImage device(1, 1, QImage::Format_Mono);
  device.setDotsPerMeterX(qRound(kMeasuringDpi / 0.0254));
  device.setDotsPerMeterY(qRound(kMeasuringDpi / 0.0254));
  const TextScale scale(table.font, table.font.size, &device);
  flow.wrapped.resize(flow.rows.size());
  // A long list repeats its values (a municipality for each of its keys): each is broken once.
  std::vector<QHash<QString, QStringList>> broken(table.columns.size());
  for (size_t row = 0; row < flow.rows.size(); ++row) {
    const QStringList& cells = flow.rows[row];
    std::vector<QStringList>& lines = flow.wrapped[row];
    lines.resize(table.columns.size());
    size_t height = 1;
    for (size_t column = 0; column < table.columns.size() && column < static_cast<size_t>(cells.size()); ++column) {
      const TableColumn& cellColumn = table.columns[column];
      if (!cellColumn.wrap) continue;
      const QString& cell = cells[static_cast<qsizetype>(column)];
      auto known = broken[column].constFind(cell);
      if (known == broken[column].cend())
        known = broken[column].insert(cell, wrapText(cell, scale, cellColumn.width - 2 * kCellPadding, device));
      lines[column] = *known;
      height = std::max(height, static_cast<size_t>(lines[column].size()));
    }
    flow.rowStart[row + 1] = flow.rowStart[row] + height;
  }
}

// The count of lines from "first" that a sheet takes: a row that would break at the
// sheet's end goes whole to the next one. Only a row taller than a free box breaks;
// 0 when the row is the box's first and the box is shared with tables before.
size_t keptTogether(const TableFlow& flow, size_t first, size_t count, bool boxShared) {
  const size_t end = first + count;
  if (end >= flow.rowStart.back()) return count;
  const size_t rowStart = *(std::upper_bound(flow.rowStart.begin(), flow.rowStart.end(), end) - 1);
  if (rowStart > first) return rowStart - first;
  return boxShared ? 0 : count;
}

}  // namespace

QString expandPlaceholders(const QString& text, const Parameters& parameters, const SheetContext& context) {
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if ((c == u'{' || c == u'}') && i + 1 < text.size() && text[i + 1] == c) {
      result += c;  // "{{" and "}}" stand for the brace itself
      ++i;
      continue;
    }
    const qsizetype close = c == u'{' ? text.indexOf(u'}', i + 1) : -1;
    if (close < 0) {
      result += c;
      continue;
    }
    const QStringView inside = QStringView(text).mid(i + 1, close - i - 1);
    const qsizetype bar = inside.indexOf(u'|');
    const QString name = (bar < 0 ? inside : inside.left(bar)).toString();
    QString value;
    if (name == QLatin1String("pagina")) {
      value = QString::number(context.sheet + 1);
    } else if (name == QLatin1String("paginas")) {
      value = QString::number(context.sheetCount);
    } else if (const auto found = parameters.find(name); found != parameters.end()) {
      value = found->second;
    }
    result += bar < 0 ? value : displayFormatted(inside.mid(bar + 1).toString(), value);
    i = close;
  }
  return result;
}

Document::Document(const Report& report, const Parameters& parameters, const QString& templatePath)
    : report_(report), parameters_(parameters), templatePath_(templatePath) {
  fill(report_.items, Placement{QPointF(), QPointF(), std::numeric_limits<double>::infinity()});
}

QString Document::title() const { return expandPlaceholders(report_.title, parameters_, SheetContext{0, sheetCount_}); }

bool Document::visible(const Item& item) const {
  auto isSet = [this](const QString& name) {
    const auto found = parameters_.find(name);
    return found != parameters_.end() && !found->second.isEmpty();
  };
  return (item.when.isEmpty() || isSet(item.when)) && (item.unless.isEmpty() || !isSet(item.unless));
}

namespace {

// The lowest edge of an item that is not a table or a group.
double bottomOf(const Item& item) {
  return std::visit(
      [](const auto& content) -> double {
        using Kind = std::decay_t<decltype(content)>;
        if constexpr (std::is_same_v<Kind, LineItem>) {
          return std::max(content.from.y(), content.to.y());
        } else if constexpr (std::is_same_v<Kind, GroupItem>) {
          return content.origin.y();
        } else {
          return content.box.bottom();
        }
      },
      item.content);
}

}  // namespace

double Document::fill(const std::vector<Item>& items, const Placement& at) {
  const SheetContext firstSheet;
  double bottom = at.origin.y();
  for (const Item& item : items) {
    if (!visible(item)) continue;
    if (const auto* group = std::get_if<GroupItem>(&item.content)) {
      // Within stacks, continuation boxes keep the coordinates of the outermost stack's parent.
      const QPointF continuationOrigin = group->stack ? at.continuationOrigin : at.continuationOrigin + group->origin;
      const Placement inner{at.origin + group->origin, continuationOrigin, at.bottomLimit};
      bottom = std::max(bottom, group->stack ? fillStack(*group, inner) : fill(group->items, inner));
      continue;
    }
    if (const auto* table = std::get_if<TableItem>(&item.content)) {
      bottom = std::max(bottom, flowTable(*table, at));
      continue;
    }
    bottom = std::max(bottom, at.origin.y() + bottomOf(item));
    if (const auto* image = std::get_if<ImageItem>(&item.content)) {
      // No picture named draws nothing; a named one that cannot be read is an error, not a silent gap.
      const QString source = expandPlaceholders(image->source, parameters_, firstSheet);
      if (source.isEmpty()) continue;
      QImageReader reader(source);
      reader.setAutoTransform(true);
      images_[image] = reader.read();
      if (images_[image].isNull()) {
        throw ERvProjectError(
            QStringLiteral("Não foi possível ler a imagem \"%1\": não é uma imagem BMP, JPEG ou PNG legível, ou é "
                           "grande demais.")
                .arg(source)
                .toStdString());
      }
    } else if (const auto* barcode = std::get_if<BarcodeItem>(&item.content)) {
      barcodes_[barcode] =
          encodeBarcode(barcode->symbology, expandPlaceholders(barcode->value, parameters_, firstSheet));
    }
  }
  return bottom;
}

// Each visible child group starts where the one before it ended (its own y is the
// space between them).
double Document::fillStack(const GroupItem& stack, const Placement& at) {
  const double limit = stack.height > 0 ? std::min(at.bottomLimit, at.origin.y() + stack.height) : at.bottomLimit;
  double cursor = at.origin.y();
  for (const Item& item : stack.items) {
    if (!visible(item)) continue;
    const auto& child = std::get<GroupItem>(item.content);
    const QPointF origin(at.origin.x() + child.origin.x(), cursor + child.origin.y());
    stackedOrigins_[&child] = origin;
    cursor = fill(child.items, Placement{origin, at.continuationOrigin, limit});
  }
  return cursor;
}

double Document::flowTable(const TableItem& table, const Placement& at) {
  TableFlow flow;
  flow.rows = splitRows(expandPlaceholders(table.rows, parameters_, SheetContext{}));
  formatCells(table, flow.rows);
  layOutLines(table, flow);
  const size_t lineCount = flow.rowStart.back();

  auto capacity = [&table](const QRectF& box, double headerHeight) {
    const double linesPerBlock = std::floor((box.height() - headerHeight) / table.rowHeight + 1e-6);
    return linesPerBlock < 1 ? size_t{0} : static_cast<size_t>(linesPerBlock);
  };
  const double captionHeight = table.continuationCaption.isEmpty() ? 0.0 : table.rowHeight;
  const double laterHeaderHeight = table.continuationHeaderHeight + captionHeight;
  QRectF first = table.box.translated(at.origin);
  const QRectF later =
      table.continuation ? table.continuation->translated(at.continuationOrigin) : table.box.translated(at.origin);
  if (capacity(first, table.headerHeight) == 0 || capacity(later, laterHeaderHeight) == 0) {
    throw ERvProjectError(
        QStringLiteral("Modelo de relatório \"%1\", relatório \"%2\": uma tabela é baixa demais para uma linha.")
            .arg(templatePath_, report_.name)
            .toStdString());
  }

  // In a stack, what lies below its end goes to the continuation sheets.
  if (first.bottom() > at.bottomLimit) first.setBottom(std::max(first.top(), at.bottomLimit));

  // Tables whose continuation boxes are the same share them: on each later
  // sheet a table starts below what the tables before it used there.
  std::vector<double>& used = continuationUse_[{later.x(), later.y(), later.width(), later.height()}];
  size_t next = 0;
  int sheet = 0;
  do {
    QRectF box = first;
    int across = table.across;
    double headerHeight = table.headerHeight;
    if (sheet > 0) {
      across = table.continuation ? table.continuationAcross : table.across;
      headerHeight = laterHeaderHeight;
      if (used.size() <= static_cast<size_t>(sheet)) used.resize(static_cast<size_t>(sheet) + 1, 0.0);
      box = later.adjusted(0, used[static_cast<size_t>(sheet)], 0, 0);
    }
    const size_t perBlock = capacity(box, headerHeight);
    if (perBlock == 0) {
      ++sheet;  // this sheet's share is taken; the next one is free
      continue;
    }
    const bool shared = sheet > 0 && used[static_cast<size_t>(sheet)] > 0;
    const size_t count =
        keptTogether(flow, next, std::min(perBlock * static_cast<size_t>(across), lineCount - next), shared);
    if (count == 0 && lineCount > 0) {
      ++sheet;
      continue;
    }
    flow.slices.push_back(
        TableSlice{sheet, box, next, count, across, headerHeight, sheet > 0 ? captionHeight : 0.0, perBlock});
    if (sheet > 0)
      used[static_cast<size_t>(sheet)] +=
          headerHeight + static_cast<double>(std::min(count, perBlock)) * table.rowHeight + kStackedTableGap;
    next += count;
    ++sheet;
  } while (next < lineCount && sheet < kMaxSheets);
  if (next < lineCount) {
    throw ERvProjectError(QStringLiteral("O relatório passaria de %1 folhas: há linhas demais para um DAMDFE.")
                              .arg(kMaxSheets)
                              .toStdString());
  }

  sheetCount_ = std::max(sheetCount_, sheet);
  const TableSlice& firstSlice = flow.slices.front();  // every table has one, an empty table its header
  const double bottom =
      firstSlice.sheet > 0
          ? first.top()
          : first.top() + firstSlice.headerHeight +
                static_cast<double>(std::min(firstSlice.lineCount, firstSlice.linesPerBlock)) * table.rowHeight;
  tables_[&table] = std::move(flow);
  return bottom;
}

}  // namespace report
