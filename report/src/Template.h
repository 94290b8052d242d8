#pragma once
// The plain model a ".rav" template is read into. Lengths are millimetres,
// font sizes points; strings may hold {name} placeholders.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace report {

struct TextFont {
  QString family = QStringLiteral("DejaVu Sans");
  double size = 8.0;
  double minSize = 5.0;  // shrinking stops here; below it a text wraps or is cut
  bool bold = false;
  bool italic = false;
};

struct TextItem {
  QRectF box;
  QString text;
  std::optional<QString> textOnSeveralSheets;
  TextFont font;
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
  bool wrap = false;
  bool clip = true;
  bool shrink = false;
  QColor color = Qt::black;
};

struct RectItem {
  QRectF box;
  double lineWidth = 0.2;
  QColor stroke = Qt::black;
  QColor fill;  // invalid: not filled
};

struct LineItem {
  QPointF from;
  QPointF to;
  double lineWidth = 0.2;
  QColor color = Qt::black;
};

struct ImageItem {
  QRectF box;
  QString source;
};

enum class Symbology { Code128, QrCode };

struct BarcodeItem {
  QRectF box;
  QString value;
  Symbology symbology = Symbology::Code128;
};

struct MarkItem {
  QRectF box;
  QString text;
  TextFont font;
  double angle = 0.0;
  QColor color;
};

struct TableColumn {
  QString header;
  std::optional<QString> continuationHeader;  // the header on later sheets
  double width = 0.0;
  Qt::Alignment align = Qt::AlignLeft;
  bool wrap = false;  // cells break into lines; the row grows by whole rowHeights
  QString format;     // display format of the cells; empty: as written
};

struct TableItem {
  QRectF box;
  std::optional<QRectF> continuation;  // where it goes on later sheets
  QString rows;
  std::vector<TableColumn> columns;
  // The field of each row, not a column, that heads its group: rows in a run of the same value
  // are shown under one group row. -1: no groups.
  int groupField = -1;
  double rowHeight = 4.0;
  double headerHeight = 4.0;
  double continuationHeaderHeight = 4.0;  // "headerHeight" on the continuation sheets
  int across = 1;              // 0: as many copies as the box's width holds
  int continuationAcross = 1;  // "across" on the continuation sheets
  QString caption;              // a line above the header where the table begins
  QString continuationCaption;  // a line above the header on the continuation sheets
  double gap = 2.0;
  TextFont font;
  TextFont headerFont;
  TextFont groupFont;  // of a group's name: a value, so in the cells' size
  bool grid = true;
  // One of the "across" copies: the columns side by side.
  double blockWidth() const;
};

struct Item;

// A stack places its child groups one below the other, each as high as what it
// shows on the first sheet, within "height" (0: no limit).
struct GroupItem {
  QPointF origin;
  std::vector<Item> items;
  bool stack = false;
  double height = 0.0;
};

enum class Sheets { First, Every, Later };

struct Item {
  std::variant<TextItem, RectItem, LineItem, ImageItem, BarcodeItem, MarkItem, TableItem, GroupItem> content;
  QString when;                   // drawn only when this parameter is not empty
  QString unless;                 // drawn only when this parameter is empty
  Sheets sheets = Sheets::First;  // "repeat": also on every continuation sheet; "later": only there
};

struct Page {
  bool landscape = false;
  double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10;
  QSizeF sizeMm() const { return landscape ? QSizeF(297, 210) : QSizeF(210, 297); }
};

struct Report {
  QString name;
  QString title;
  Page page;
  std::vector<Item> items;
};

struct Template {
  QString path;
  std::vector<Report> reports;
  const Report* find(const QString& name) const;
};

}  // namespace report
