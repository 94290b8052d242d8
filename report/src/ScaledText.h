#pragma once
// Every size of a face is laid out at one reference size and drawn scaled. Qt consults fontconfig
// for each font size it meets, which costs more than laying a text out; unhinted glyphs scale
// exactly, so a layout at the reference size is the layout at any other.

#include "Template.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QTextLayout>

#include <memory>
#include <utility>
#include <vector>

class QPaintDevice;
class QPainter;

namespace report {

// A face at a point size on a device: the font to lay out with, and the factor from its
// units to the device's.
class TextScale {
 public:
  TextScale(const TextFont& face, double pointSize, const QPaintDevice* device);

  // The same face at another size.
  TextScale resized(double pointSize) const;

  const QFont& font() const { return font_; }
  double factor() const;
  int pixelSize() const { return pixelSize_; }
  double pointSize() const { return pointSize_; }
  const QPaintDevice* device() const { return device_; }

 private:
  QFont font_;
  const QPaintDevice* device_;
  double pointSize_ = 0;
  int pixelSize_ = 1;
};

// Several lines as QPainter::drawText sets them: each on whole device pixels, and each aligned
// in the box on its own when drawn.
struct TextBlock {
  std::unique_ptr<QTextLayout> layout;
  TextScale scale;
  std::vector<double> tops;  // of each line, from the block's top, in device units
  QSizeF size;
};

// A width below 0 breaks only where the text does; "\n" breaks a line.
TextBlock layOutBlock(QString text, const TextScale& scale, double width, QTextOption::WrapMode mode,
                      Qt::Alignment align);

// Turns lines laid out with a TextScale's font into glyphs at its size, keeping a sized copy of
// each font met.
class ScaledGlyphs {
 public:
  // Positioned from the line's top left, in device units; drawn with draw() as often as needed.
  QList<QGlyphRun> runs(const QTextLine& line, const TextScale& scale);
  static void draw(QPainter& painter, const QList<QGlyphRun>& runs, QPointF topLeft);
  void draw(QPainter& painter, const TextBlock& block, const QRectF& box, Qt::Alignment align);

 private:
  QHash<std::pair<QRawFont, int>, QRawFont> sized_;
};

// Lines drawn one after another in one font and colour go to the device as one glyph run: a PDF
// then holds one text object for them instead of one each. Whatever else is drawn must flush
// first, so that the page keeps its order.
class GlyphBatch {
 public:
  void add(QPainter& painter, const QList<QGlyphRun>& runs, QPointF topLeft, const QColor& color);
  void flush(QPainter& painter);

 private:
  QRawFont font_;
  QColor color_;
  QList<quint32> glyphs_;
  QList<QPointF> positions_;
};

}  // namespace report
