#include "Document.h"

#include "DisplayFormat.h"
#include "RvProject.h"
#include "ScaledText.h"

#include <QFontMetricsF>
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

QImage measuringDevice() {
  QImage device(1, 1, QImage::Format_Mono);
  device.setDotsPerMeterX(qRound(kMeasuringDpi / 0.0254));
  device.setDotsPerMeterY(qRound(kMeasuringDpi / 0.0254));
  return device;
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
  const QImage device = measuringDevice();
  const TextScale scale(table.font, table.font.size, &device);
  flow.wrapped.resize(flow.rows.size());
  // A long list repeats its values (a municipality for each of its keys): each is broken once.
  std::vector<QHash<QString, QStringList>> broken(table.columns.size());
  for (size_t row = 0; row < flow.rows.size(); ++row) {
    const QStringList& cells = flow.rows[row];
    std::vector<QStringList>& lines = flow.wrapped[row];
    lines.resize(table.columns.size());
    size_t height = 1;
    for (size_t column = 0; !flow.groupRow[row] && column < table.columns.size() &&
                            column < static_cast<size_t>(cells.size());
         ++column) {
      const TableColumn& cellColumn = table.columns[column];
      if (!cellColumn.wrap) continue;
      const QString& cell = cells[static_cast<qsizetype>(column)];
      auto known = broken[column].constFind(cell);
      if (known == broken[column].cend())
        known = broken[column].insert(cell, wrapText(cell, scale, flow.widths[column] - 2 * kCellPadding, device));
      lines[column] = *known;
      height = std::max(height, static_cast<size_t>(lines[column].size()));
    }
    flow.rowStart[row + 1] = flow.rowStart[row] + height;
  }
}

size_t rowOfLine(const TableFlow& flow, size_t line) {
  return static_cast<size_t>(std::upper_bound(flow.rowStart.begin(), flow.rowStart.end(), line) -
                             flow.rowStart.begin()) -
         1;
}

// The count of lines from "first" that the last copy of the columns on a sheet takes: a row
// that would break at the sheet's end goes whole to the next one. Only a row taller than a free
// box breaks; 0 when the row is the box's first and the box is shared with tables before.
size_t keptTogether(const TableFlow& flow, size_t first, size_t count, bool boxShared) {
  const size_t end = first + count;
  if (end >= flow.rowStart.back()) return count;
  const size_t rowStart = flow.rowStart[rowOfLine(flow, end)];
  if (rowStart > first) return rowStart - first;
  return rowStart == first && boxShared ? 0 : count;
}

// A group's name is never the last line of a copy of the columns while its rows go on.
size_t withoutLoneGroupName(const TableFlow& flow, size_t first, size_t count) {
  while (count > 0 && first + count < flow.rowStart.back() && flow.groupRow[rowOfLine(flow, first + count - 1)])
    --count;
  return count;
}

// Pulls the group field out of every row; consecutive rows of the same value form a group,
// headed by a row holding its name.
void groupRows(const TableItem& table, TableFlow& flow) {
  flow.groupRow.assign(flow.rows.size(), false);
  flow.groupOf.assign(flow.rows.size(), -1);
  if (table.groupField < 0) return;
  std::vector<QStringList> rows;
  rows.reserve(flow.rows.size() + 16);
  flow.groupRow.clear();
  flow.groupOf.clear();
  for (QStringList& cells : flow.rows) {
    const QString name = table.groupField < cells.size() ? cells.takeAt(table.groupField) : QString();
    if (flow.groupNames.isEmpty() || flow.groupNames.back() != name) {
      flow.groupNames << name;
      rows.push_back({name});
      flow.groupRow.push_back(true);
      flow.groupOf.push_back(static_cast<int>(flow.groupNames.size() - 1));
    }
    rows.push_back(std::move(cells));
    flow.groupRow.push_back(false);
    flow.groupOf.push_back(static_cast<int>(flow.groupNames.size() - 1));
  }
  flow.rows = std::move(rows);
}

// A copy of the columns that begins inside a group begins with the group's name, marked as
// going on.
void continueGroup(TableFlow& flow, size_t line) {
  if (flow.groupNames.isEmpty() || line == 0 || line >= flow.rowStart.back()) return;
  const size_t row = rowOfLine(flow, line);
  if (flow.rowStart[row] != line || flow.groupRow[row]) return;
  const int group = flow.groupOf[row];
  const auto at = static_cast<std::ptrdiff_t>(row);
  flow.rows.insert(flow.rows.begin() + at, {flow.groupNames[group] + QStringLiteral(" (continuação)")});
  flow.groupRow.insert(flow.groupRow.begin() + at, true);
  flow.groupOf.insert(flow.groupOf.begin() + at, group);
  if (!flow.wrapped.empty()) flow.wrapped.insert(flow.wrapped.begin() + at, std::vector<QStringList>());
  flow.rowStart.insert(flow.rowStart.begin() + at, line);
  for (auto start = flow.rowStart.begin() + at + 1; start != flow.rowStart.end(); ++start) ++*start;
}

// Widths of texts in millimetres, from the advance of each letter (the fonts are not shaped).
class TextWidths {
 public:
  TextWidths(const TextFont& face, double size, const QPaintDevice& device)
      : metrics_(TextScale(face, size, &device).font(), &device) {
    const TextScale scale(face, size, &device);
    mmPerUnit_ = scale.factor() / device.logicalDpiX() * 25.4;
  }

  double of(QStringView text) {
    double units = 0;
    for (QChar c : text) {
      auto known = advances_.constFind(c.unicode());
      if (known == advances_.cend()) known = advances_.insert(c.unicode(), metrics_.horizontalAdvance(c));
      units += *known;
    }
    return units * mmPerUnit_;
  }

  double ofWidestWord(QStringView text) {
    double widest = 0;
    for (QStringView word : text.split(u' ', Qt::SkipEmptyParts)) widest = std::max(widest, of(word));
    return widest;
  }

 private:
  QFontMetricsF metrics_;
  double mmPerUnit_ = 0;
  QHash<char16_t, double> advances_;
};

// The least width of each column (its widest word, or the whole text of a cell that does
// not wrap; an empty column its caption), the width it would like (its widest text) and, where
// even the least widths do not fit, how narrow it can be (a column that wraps breaks its words
// between letters down to its caption's width).
struct ColumnNeeds {
  std::vector<double> least;
  std::vector<double> most;
  std::vector<double> narrowest;
  std::vector<bool> empty;
};

// Measured a little wide, as the painter's wrapping leaves a slack.
constexpr double kMeasureSlack = 1.04;

ColumnNeeds measureColumns(const TableItem& table, const std::vector<QStringList>& rows, const QPaintDevice& device) {
  const size_t count = table.columns.size();
  ColumnNeeds needs{std::vector<double>(count), std::vector<double>(count), std::vector<double>(count),
                    std::vector<bool>(count, true)};
  // A cell that does not wrap may shrink to the smallest size to keep its line.
  const double smallestSize = std::min(table.font.size, table.font.minSize);
  TextWidths cells(table.font, table.font.size, device);
  for (const QStringList& row : rows) {
    for (size_t column = 0; column < count && column < static_cast<size_t>(row.size()); ++column) {
      const QString& cell = row[static_cast<qsizetype>(column)];
      if (cell.isEmpty()) continue;
      needs.empty[column] = false;
      const double whole = cells.of(cell);
      needs.most[column] = std::max(needs.most[column], whole);
      needs.least[column] = std::max(needs.least[column], table.columns[column].wrap
                                                              ? cells.ofWidestWord(cell)
                                                              : whole * smallestSize / table.font.size);
    }
  }
  const TextFont& face = table.headerFont;
  TextWidths header(face, face.size, device);
  TextWidths smallestHeader(face, std::min(face.size, face.minSize), device);
  for (size_t column = 0; column < count; ++column) {
    const QString& caption = table.columns[column].header;
    const double natural = header.of(caption);
    const double smallest = smallestHeader.of(caption) * kMeasureSlack + 2 * kCellPadding;
    if (needs.empty[column]) {
      needs.least[column] = needs.most[column] = natural;
    } else {
      needs.least[column] = std::max(needs.least[column], smallestHeader.of(caption));
      needs.most[column] = std::max(needs.most[column], natural);
    }
    needs.least[column] = needs.least[column] * kMeasureSlack + 2 * kCellPadding;
    needs.narrowest[column] = table.columns[column].wrap ? std::min(smallest, needs.least[column]) : needs.least[column];
    needs.most[column] = std::max(needs.least[column], needs.most[column] * kMeasureSlack + 2 * kCellPadding);
  }
  return needs;
}

// Every column gets its least width, then toward the width it would like, then what is left in
// the proportions the template gives the columns that show something.
std::vector<double> shareWidth(const TableItem& table, const ColumnNeeds& needs, double width) {
  std::vector<double> widths = needs.least;
  const double least = std::accumulate(widths.begin(), widths.end(), 0.0);
  if (least >= width) {
    // The columns that wrap give up what they can, in proportion; only then everything shrinks.
    double yielding = 0;
    for (size_t c = 0; c < widths.size(); ++c) yielding += needs.least[c] - needs.narrowest[c];
    const double share = yielding > 0 ? std::min(1.0, (least - width) / yielding) : 0.0;
    for (size_t c = 0; c < widths.size(); ++c) widths[c] -= (needs.least[c] - needs.narrowest[c]) * share;
    const double left = std::accumulate(widths.begin(), widths.end(), 0.0);
    if (left > width)
      for (double& column : widths) column *= width / left;
    return widths;
  }
  double spare = width - least;
  // Lines that would shrink come first, then wrapped cells are given fewer lines.
  for (const bool wrapping : {false, true}) {
    double lacking = 0;
    for (size_t c = 0; c < widths.size(); ++c)
      if (table.columns[c].wrap == wrapping) lacking += needs.most[c] - widths[c];
    if (lacking <= 0) continue;
    const double share = std::min(1.0, spare / lacking);
    for (size_t c = 0; c < widths.size(); ++c)
      if (table.columns[c].wrap == wrapping) widths[c] += (needs.most[c] - widths[c]) * share;
    spare -= lacking * share;
  }
  double proportions = 0;
  const bool anyShown = std::find(needs.empty.begin(), needs.empty.end(), false) != needs.empty.end();
  auto takesSpare = [&](size_t c) { return !anyShown || !needs.empty[c]; };
  for (size_t c = 0; c < widths.size(); ++c)
    if (takesSpare(c)) proportions += std::max(table.columns[c].width, 0.01);
  for (size_t c = 0; c < widths.size(); ++c)
    if (takesSpare(c)) widths[c] += spare * std::max(table.columns[c].width, 0.01) / proportions;
  return widths;
}

// How many copies of the columns stand side by side in a box: as asked, or as many as fit.
int copiesIn(int asked, double boxWidth, double leastBlock, double gap) {
  if (asked > 0) return asked;
  return std::clamp(static_cast<int>(std::floor((boxWidth + gap + 1e-6) / (leastBlock + gap))), 1, 20);
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

size_t TableSlice::tallestBlock() const {
  size_t tallest = 0;
  for (const TableBlock& block : blocks) tallest = std::max(tallest, block.lineCount);
  return tallest;
}

double Document::flowTable(const TableItem& table, const Placement& at) {
  TableFlow flow;
  flow.rows = splitRows(expandPlaceholders(table.rows, parameters_, SheetContext{}));
  groupRows(table, flow);
  formatCells(table, flow.rows);

  QRectF first = table.box.translated(at.origin);
  const QRectF later =
      table.continuation ? table.continuation->translated(at.continuationOrigin) : table.box.translated(at.origin);
  std::vector<QStringList> cells;
  for (size_t row = 0; row < flow.rows.size(); ++row)
    if (!flow.groupRow[row]) cells.push_back(flow.rows[row]);
  const ColumnNeeds needs = measureColumns(table, cells, measuringDevice());
  const double leastBlock = std::accumulate(needs.least.begin(), needs.least.end(), 0.0);
  const int firstAcross = copiesIn(table.across, first.width(), leastBlock, table.gap);
  const int laterAcross = copiesIn(table.continuation ? table.continuationAcross : table.across, later.width(),
                                   leastBlock, table.gap);
  auto blockIn = [&table](const QRectF& box, int across) { return (box.width() - table.gap * (across - 1)) / across; };
  // One set of column widths on every sheet, so that wrapped cells break the same way; the
  // template's widths are the most a block of a fixed count takes.
  flow.blockWidth = std::min(blockIn(first, firstAcross), blockIn(later, laterAcross));
  if (table.across > 0 && (flow.blockWidth <= 0 || table.blockWidth() < flow.blockWidth))
    flow.blockWidth = table.blockWidth();
  flow.widths = shareWidth(table, needs, flow.blockWidth);
  layOutLines(table, flow);

  auto capacity = [&table](const QRectF& box, double headerHeight) {
    const double linesPerBlock = std::floor((box.height() - headerHeight) / table.rowHeight + 1e-6);
    return linesPerBlock < 1 ? size_t{0} : static_cast<size_t>(linesPerBlock);
  };
  auto captionHeight = [&table](const QString& caption) { return caption.isEmpty() ? 0.0 : table.rowHeight; };
  const QString& firstCaption = table.caption.isEmpty() ? table.continuationCaption : table.caption;
  const double firstHeader = table.headerHeight + captionHeight(table.caption);
  const double laterHeader = table.continuationHeaderHeight + captionHeight(firstCaption);
  if (capacity(first, firstHeader) == 0 || capacity(later, laterHeader) == 0) {
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
    const bool begins = flow.slices.empty();
    TableSlice slice{sheet, first, {}, table.headerHeight, 0.0, begins ? table.caption : table.continuationCaption,
                     !begins};
    int across = firstAcross;
    if (sheet > 0) {
      if (begins) slice.caption = firstCaption;
      across = laterAcross;
      slice.headerHeight = table.continuationHeaderHeight;
      if (used.size() <= static_cast<size_t>(sheet)) used.resize(static_cast<size_t>(sheet) + 1, 0.0);
      slice.box = later.adjusted(0, used[static_cast<size_t>(sheet)], 0, 0);
    }
    slice.captionHeight = captionHeight(slice.caption);
    slice.headerHeight += slice.captionHeight;
    const size_t perBlock = capacity(slice.box, slice.headerHeight);
    const bool shared = sheet > 0 && used[static_cast<size_t>(sheet)] > 0;
    for (int block = 0; perBlock > 0 && block < across && next < flow.rowStart.back(); ++block) {
      continueGroup(flow, next);
      size_t count = std::min(perBlock, flow.rowStart.back() - next);
      if (block == across - 1) count = keptTogether(flow, next, count, shared && block == 0);
      count = withoutLoneGroupName(flow, next, count);
      if (count == 0) break;
      slice.blocks.push_back(TableBlock{next, count});
      next += count;
    }
    if (perBlock == 0 || (slice.blocks.empty() && flow.rowStart.back() > 0)) {
      ++sheet;  // this sheet's share is taken, or not one row fits under the caption: the next one is free
      continue;
    }
    if (sheet > 0)
      used[static_cast<size_t>(sheet)] +=
          slice.headerHeight + static_cast<double>(slice.tallestBlock()) * table.rowHeight + kStackedTableGap;
    flow.slices.push_back(std::move(slice));
    ++sheet;
  } while ((next < flow.rowStart.back() || flow.slices.empty()) && sheet < kMaxSheets);
  if (next < flow.rowStart.back()) {
    throw ERvProjectError(QStringLiteral("O relatório passaria de %1 folhas: há linhas demais para um DAMDFE.")
                              .arg(kMaxSheets)
                              .toStdString());
  }

  sheetCount_ = std::max(sheetCount_, sheet);
  const TableSlice& firstSlice = flow.slices.front();  // every table has one, an empty table its header
  const double bottom = firstSlice.sheet > 0 ? first.top()
                                             : first.top() + firstSlice.headerHeight +
                                                   static_cast<double>(firstSlice.tallestBlock()) * table.rowHeight;
  tables_[&table] = std::move(flow);
  return bottom;
}

}  // namespace report
