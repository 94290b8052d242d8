#include "Document.h"

#include "RvProject.h"

#include <QImageReader>
#include <QTextLayout>

#include <algorithm>

#include <cmath>
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

// Breaks a cell's text as the painter will draw it, measured at the PDF's
// resolution; a word wider than the cell breaks between letters.
QStringList wrapText(const QString& text, const QFont& font, double widthMm, const QPaintDevice& device) {
  // A little slack for coarser devices, whose hinted glyphs may be wider.
  const double width = std::max(0.0, widthMm / 25.4 * device.logicalDpiX() * 0.98);
  QTextLayout layout(text, font, &device);
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
  const QFont font = makeFont(table.font, table.font.size);
  flow.wrapped.resize(flow.rows.size());
  for (size_t row = 0; row < flow.rows.size(); ++row) {
    const QStringList& cells = flow.rows[row];
    std::vector<QStringList>& lines = flow.wrapped[row];
    lines.resize(table.columns.size());
    size_t height = 1;
    for (size_t column = 0; column < table.columns.size() && column < static_cast<size_t>(cells.size()); ++column) {
      const TableColumn& cellColumn = table.columns[column];
      if (!cellColumn.wrap) continue;
      lines[column] =
          wrapText(cells[static_cast<qsizetype>(column)], font, cellColumn.width - 2 * kCellPadding, device);
      height = std::max(height, static_cast<size_t>(lines[column].size()));
    }
    flow.rowStart[row + 1] = flow.rowStart[row] + height;
  }
}

}  // namespace

QFont makeFont(const TextFont& face, double size) {
  QFont font(face.family);
  font.setPointSizeF(size);
  font.setBold(face.bold);
  font.setItalic(face.italic);
  // Without shaping "fi" stays two letters, so the PDF text can be searched and copied as printed.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

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
    const QString name = text.mid(i + 1, close - i - 1);
    if (name == QLatin1String("pagina")) {
      result += QString::number(context.sheet + 1);
    } else if (name == QLatin1String("paginas")) {
      result += QString::number(context.sheetCount);
    } else if (const auto found = parameters.find(name); found != parameters.end()) {
      result += found->second;
    }
    i = close;
  }
  return result;
}

Document::Document(const Report& report, const Parameters& parameters, const QString& templatePath)
    : report_(report), parameters_(parameters), templatePath_(templatePath) {
  fill(report_.items, QPointF());
}

QString Document::title() const { return expandPlaceholders(report_.title, parameters_, SheetContext{0, sheetCount_}); }

bool Document::visible(const Item& item) const {
  auto isSet = [this](const QString& name) {
    const auto found = parameters_.find(name);
    return found != parameters_.end() && !found->second.isEmpty();
  };
  return (item.when.isEmpty() || isSet(item.when)) && (item.unless.isEmpty() || !isSet(item.unless));
}

void Document::fill(const std::vector<Item>& items, QPointF origin) {
  const SheetContext firstSheet;
  for (const Item& item : items) {
    if (!visible(item)) continue;
    if (const auto* group = std::get_if<GroupItem>(&item.content)) {
      fill(group->items, origin + group->origin);
    } else if (const auto* table = std::get_if<TableItem>(&item.content)) {
      flowTable(*table, origin);
    } else if (const auto* image = std::get_if<ImageItem>(&item.content)) {
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
}

void Document::flowTable(const TableItem& table, QPointF origin) {
  TableFlow flow;
  flow.rows = splitRows(expandPlaceholders(table.rows, parameters_, SheetContext{}));
  layOutLines(table, flow);
  const size_t lineCount = flow.rowStart.back();

  auto capacity = [&table](const QRectF& box, double headerHeight) {
    const double linesPerBlock = std::floor((box.height() - headerHeight) / table.rowHeight + 1e-6);
    return linesPerBlock < 1 ? size_t{0} : static_cast<size_t>(linesPerBlock);
  };
  const QRectF first = table.box.translated(origin);
  const QRectF later = table.continuation.value_or(table.box).translated(origin);
  if (capacity(first, table.headerHeight) == 0 || capacity(later, table.continuationHeaderHeight) == 0) {
    throw ERvProjectError(
        QStringLiteral("Modelo de relatório \"%1\", relatório \"%2\": uma tabela é baixa demais para uma linha.")
            .arg(templatePath_, report_.name)
            .toStdString());
  }

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
      headerHeight = table.continuationHeaderHeight;
      if (used.size() <= static_cast<size_t>(sheet)) used.resize(static_cast<size_t>(sheet) + 1, 0.0);
      box = later.adjusted(0, used[static_cast<size_t>(sheet)], 0, 0);
    }
    const size_t perBlock = capacity(box, headerHeight);
    if (perBlock == 0) {
      ++sheet;  // this sheet's share is taken; the next one is free
      continue;
    }
    const size_t count = std::min(perBlock * static_cast<size_t>(across), lineCount - next);
    flow.slices.push_back(TableSlice{sheet, box, next, count, across, headerHeight, perBlock});
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
  tables_[&table] = std::move(flow);
}

}  // namespace report
