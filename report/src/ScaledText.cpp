#include "ScaledText.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Large enough that a layout's steps of 1/64 pixel stay finer than those of any size drawn.
constexpr int kReferencePixels = 100;
// A line that breaks only where the text does.
constexpr double kUnboundedLine = 0x01000000;

// A point size in a device's whole pixels, rounded as Qt rounds its own.
int devicePixels(double pointSize, const QPaintDevice* device) {
  const int dpi = device ? device->logicalDpiY() : 72;
  return std::max(1, qRound(std::floor(pointSize * dpi / 72.0 * 100 + 0.5) / 100));
}

QPointF onPixelGrid(QPointF step) { return QPointF(qRound(step.x() * 64) / 64.0, qRound(step.y() * 64) / 64.0); }

QFont referenceFont(const TextFont& face) {
  QFont font(face.family);
  font.setPixelSize(kReferencePixels);
  font.setBold(face.bold);
  font.setItalic(face.italic);
  // Without shaping "fi" stays two letters, so the PDF text can be searched and copied as printed.
  font.setStyleStrategy(QFont::PreferNoShaping);
  // The shipped fonts carry no hinting programs, and unasked FreeType would auto-hint every glyph,
  // work that no PDF needs; unhinted, a layout also scales exactly.
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

}  // namespace

TextScale::TextScale(const TextFont& face, double pointSize, const QPaintDevice* device)
    : font_(referenceFont(face)), device_(device) {
  *this = resized(pointSize);
}

TextScale TextScale::resized(double pointSize) const {
  TextScale result = *this;
  result.pointSize_ = pointSize;
  result.pixelSize_ = devicePixels(pointSize, device_);
  return result;
}

double TextScale::factor() const { return static_cast<double>(pixelSize_) / kReferencePixels; }

TextBlock layOutBlock(QString text, const TextScale& scale, double width, QTextOption::WrapMode mode,
                      Qt::Alignment align) {
  const QPaintDevice* device = scale.device();
  for (QChar& c : text) {
    if (c == u'\r' || c == u'\t')
      c = u' ';
    else if (c == u'\n')
      c = QChar::LineSeparator;
  }
  TextBlock block{std::make_unique<QTextLayout>(text, scale.font(), device), scale, {}, {}};
  QTextOption option(align & Qt::AlignJustify ? Qt::AlignJustify : Qt::AlignLeft);
  option.setWrapMode(mode);
  block.layout->setTextOption(option);
  const double k = scale.factor();
  const double leading = QFontMetricsF(scale.font(), device).leading() * k;
  double height = -leading;
  double widest = 0;
  block.layout->beginLayout();
  for (QTextLine line = block.layout->createLine(); line.isValid(); line = block.layout->createLine()) {
    line.setLineWidth(width < 0 ? kUnboundedLine : std::max(0.0, width / k));
    height = std::ceil(height + leading);
    block.tops.push_back(height);
    height += (line.ascent() + line.descent()) * k;
    widest = std::max(widest, line.naturalTextWidth() * k);
  }
  block.layout->endLayout();
  block.size = QSizeF(widest, height);
  return block;
}

void ScaledGlyphs::draw(QPainter& painter, const TextBlock& block, const QRectF& box, Qt::Alignment align) {
  double top = box.y();
  if (align & Qt::AlignBottom) top += box.height() - block.size.height();
  if (align & Qt::AlignVCenter) top += (box.height() - block.size.height()) / 2;
  for (int i = 0; i < block.layout->lineCount(); ++i) {
    const QTextLine line = block.layout->lineAt(i);
    const double advance = line.horizontalAdvance() * block.scale.factor();
    double left = box.x();
    if (align & Qt::AlignRight) left += box.width() - advance;
    if (align & Qt::AlignHCenter) left += (box.width() - advance) / 2;
    draw(painter, runs(line, block.scale), QPointF(left, top + block.tops[static_cast<size_t>(i)]));
  }
}

QList<QGlyphRun> ScaledGlyphs::runs(const QTextLine& line, const TextScale& scale) {
  const QPointF lineOrigin = line.position();
  QList<QGlyphRun> result = line.glyphRuns();
  for (QGlyphRun& run : result) {
    const std::pair<QRawFont, int> key(run.rawFont(), scale.pixelSize());
    auto sized = sized_.find(key);
    if (sized == sized_.end()) {
      QRawFont font = key.first;
      font.setPixelSize(key.second);
      sized = sized_.insert(key, font);
    }
    // Each step from glyph to glyph is scaled and kept on the 1/64 pixel grid that Qt's own
    // advances keep, so a glyph repeats the same step and the page compresses as well.
    QList<QPointF> positions = run.positions();
    QPointF previous;
    for (qsizetype i = 0; i < positions.size(); ++i) {
      const QPointF reference = positions[i];
      positions[i] = i == 0 ? (reference - lineOrigin) * scale.factor()
                            : positions[i - 1] + onPixelGrid((reference - previous) * scale.factor());
      previous = reference;
    }
    run.setRawFont(*sized);
    run.setPositions(positions);
  }
  return result;
}

void ScaledGlyphs::draw(QPainter& painter, const QList<QGlyphRun>& runs, QPointF topLeft) {
  for (const QGlyphRun& run : runs) painter.drawGlyphRun(topLeft, run);
}

void GlyphBatch::add(QPainter& painter, const QList<QGlyphRun>& runs, QPointF topLeft, const QColor& color) {
  for (const QGlyphRun& run : runs) {
    if (!glyphs_.isEmpty() && (run.rawFont() != font_ || color != color_)) flush(painter);
    font_ = run.rawFont();
    color_ = color;
    glyphs_ += run.glyphIndexes();
    for (const QPointF& position : run.positions()) positions_ += topLeft + position;
  }
}

void GlyphBatch::flush(QPainter& painter) {
  if (glyphs_.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(font_);
  run.setGlyphIndexes(glyphs_);
  run.setPositions(positions_);
  painter.setPen(color_);
  painter.drawGlyphRun(QPointF(), run);
  glyphs_.clear();
  positions_.clear();
}

}  // namespace report
