#include "TemplateReader.h"

#include "DisplayFormat.h"
#include "RvProject.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <vector>
#include <utility>

namespace report {

namespace {

// Keeps every coordinate finite and far from overflow in device units.
constexpr double kMaxLength = 10000.0;

[[noreturn]] void fail(const QString& message) { throw ERvProjectError(message.toStdString()); }

QString syntaxMessage(QJsonParseError::ParseError error) {
  switch (error) {
    case QJsonParseError::UnterminatedObject: return QStringLiteral("objeto não terminado");
    case QJsonParseError::MissingNameSeparator: return QStringLiteral("falta ':' após o nome");
    case QJsonParseError::UnterminatedArray: return QStringLiteral("lista não terminada");
    case QJsonParseError::MissingValueSeparator: return QStringLiteral("falta ',' entre valores");
    case QJsonParseError::IllegalValue: return QStringLiteral("valor inválido");
    case QJsonParseError::TerminationByNumber: return QStringLiteral("fim do arquivo no meio de um número");
    case QJsonParseError::IllegalNumber: return QStringLiteral("número inválido");
    case QJsonParseError::IllegalEscapeSequence: return QStringLiteral("sequência de escape inválida");
    case QJsonParseError::IllegalUTF8String: return QStringLiteral("texto UTF-8 inválido");
    case QJsonParseError::UnterminatedString: return QStringLiteral("texto não terminado");
    case QJsonParseError::MissingObject: return QStringLiteral("esperava-se um objeto");
    case QJsonParseError::DeepNesting: return QStringLiteral("aninhamento profundo demais");
    case QJsonParseError::DocumentTooLarge: return QStringLiteral("documento grande demais");
    case QJsonParseError::GarbageAtEnd: return QStringLiteral("conteúdo após o fim do documento");
    case QJsonParseError::NoError: break;
  }
  return QStringLiteral("erro de sintaxe");
}

// 1-based line and column (in characters) of a byte offset.
std::pair<int, int> lineAndColumn(const QByteArray& text, qsizetype offset) {
  offset = std::clamp<qsizetype>(offset, 0, text.size());
  int line = 1;
  int column = 1;
  for (qsizetype i = 0; i < offset; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n') {
      ++line;
      column = 1;
    } else if ((byte & 0xC0) != 0x80) {
      ++column;
    }
  }
  return {line, column};
}

// Reads the properties of one JSON object, remembering which ones were used
// so that a misspelt name is reported instead of silently ignored. An item's
// style lends the properties the item does not set itself.
class Properties {
 public:
  Properties(QJsonObject object, QString where, QString file, QJsonObject style = {})
      : object_(std::move(object)), style_(std::move(style)), where_(std::move(where)), file_(std::move(file)) {}

  [[noreturn]] void error(const QString& what) const {
    fail(QStringLiteral("Modelo de relatório \"%1\", %2: %3.").arg(file_, where_, what));
  }

  bool has(const QString& key) const { return object_.contains(key) || style_.contains(key); }

  QJsonValue take(const QString& key) {
    if (!used(key)) used_.push_back(key);
    const QJsonValue own = object_.value(key);
    return own.isUndefined() ? style_.value(key) : own;
  }

  QString string(const QString& key, const QString& fallback = {}) {
    const QJsonValue value = take(key);
    if (value.isUndefined()) return fallback;
    if (!value.isString()) error(QStringLiteral("a propriedade \"%1\" deve ser um texto").arg(key));
    checkFormats(value.toString());
    return value.toString();
  }

  QString displayFormat(const QString& key) {
    const QString name = string(key);
    if (!name.isEmpty() && !isDisplayFormat(name)) error(QStringLiteral("formato desconhecido \"%1\"").arg(name));
    return name;
  }

  double number(const QString& key, double fallback, double min = -kMaxLength, double max = kMaxLength) {
    const QJsonValue value = take(key);
    if (value.isUndefined()) return fallback;
    if (!value.isDouble()) error(QStringLiteral("a propriedade \"%1\" deve ser um número").arg(key));
    const double result = value.toDouble();
    if (!(result >= min && result <= max))
      error(QStringLiteral("a propriedade \"%1\" deve estar entre %2 e %3").arg(key).arg(min).arg(max));
    return result;
  }

  double length(const QString& key, double fallback = 0.0) { return number(key, fallback, 0.0, kMaxLength); }

  bool boolean(const QString& key, bool fallback) {
    const QJsonValue value = take(key);
    if (value.isUndefined()) return fallback;
    if (!value.isBool()) error(QStringLiteral("a propriedade \"%1\" deve ser true ou false").arg(key));
    return value.toBool();
  }

  QColor color(const QString& key, const QColor& fallback) {
    const QString name = string(key);
    if (name.isEmpty()) return fallback;
    if (name == QLatin1String("none")) return {};
    QColor result = QColor::fromString(name);
    if (!result.isValid()) error(QStringLiteral("cor inválida \"%1\" em \"%2\"").arg(name, key));
    return result;
  }

  template <typename T>
  T choice(const QString& key, T fallback, std::initializer_list<std::pair<const char*, T>> options) {
    const QString name = string(key);
    if (name.isEmpty()) return fallback;
    for (const auto& [optionName, optionValue] : options) {
      if (name == QLatin1String(optionName)) return optionValue;
    }
    QStringList names;
    for (const auto& option : options) names << QLatin1String(option.first);
    error(
        QStringLiteral("valor \"%1\" inválido para \"%2\" (use %3)").arg(name, key, names.join(QStringLiteral(", "))));
  }

  QRectF box() {
    return QRectF(number(QStringLiteral("x"), 0), number(QStringLiteral("y"), 0), length(QStringLiteral("width")),
                  length(QStringLiteral("height")));
  }

  // The names of a font's properties: plain, or with a prefix such as "headerSize".
  struct FontKeys {
    QString family, size, minSize, bold, italic;
  };
  static const FontKeys& plainFont() {
    static const FontKeys keys{QStringLiteral("font"), QStringLiteral("size"), QStringLiteral("minSize"),
                               QStringLiteral("bold"), QStringLiteral("italic")};
    return keys;
  }
  static const FontKeys& headerFont() {
    static const FontKeys keys{QStringLiteral("headerFont"), QStringLiteral("headerSize"),
                               QStringLiteral("headerMinSize"), QStringLiteral("headerBold"),
                               QStringLiteral("headerItalic")};
    return keys;
  }

  TextFont font(const FontKeys& keys = plainFont(), const TextFont& fallback = {}) {
    TextFont font = fallback;
    font.family = string(keys.family, font.family);
    font.size = number(keys.size, font.size, 1.0, 500.0);
    font.minSize = number(keys.minSize, font.minSize, 1.0, 500.0);
    font.bold = boolean(keys.bold, font.bold);
    font.italic = boolean(keys.italic, font.italic);
    return font;
  }

  Qt::Alignment horizontalAlignment(const QString& key = QStringLiteral("align")) {
    return choice<Qt::Alignment>(key, Qt::AlignLeft,
                                 {{"left", Qt::AlignLeft},
                                  {"center", Qt::AlignHCenter},
                                  {"right", Qt::AlignRight},
                                  {"justify", Qt::AlignJustify}});
  }

  const QString& where() const { return where_; }
  void setWhere(QString where) { where_ = std::move(where); }
  const QString& file() const { return file_; }

  // A misspelt format in "{name|format}" is found when the template is read.
  void checkFormats(const QString& text) const {
    if (!text.contains(u'|')) return;  // most texts name no format, and a match costs
    static const QRegularExpression placeholder(QStringLiteral("\\{[^{}|]*\\|([^{}]*)\\}"));
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(text)) {
      if (!isDisplayFormat(match.captured(1)))
        error(QStringLiteral("formato desconhecido \"%1\"").arg(match.captured(1)));
    }
  }

  // Everything not read by now is a property this kind does not have.
  void checkAllUsed() const {
    std::optional<QString> unknown;
    for (const QJsonObject* object : {&object_, &style_}) {
      for (auto it = object->begin(); it != object->end(); ++it) {
        if (!used(it.key()) && (!unknown || it.key() < *unknown)) unknown = it.key();
      }
    }
    if (unknown) error(QStringLiteral("propriedade desconhecida \"%1\"").arg(*unknown));
  }

 private:
  bool used(QStringView key) const { return std::find(used_.begin(), used_.end(), key) != used_.end(); }

  QJsonObject object_;
  QJsonObject style_;
  QString where_;
  QString file_;
  std::vector<QString> used_;
};

class Reader {
 public:
  explicit Reader(QString file) : file_(std::move(file)) {}

  Template read(const QJsonDocument& document) {
    if (!document.isObject())
      fail(QStringLiteral("Modelo de relatório \"%1\": o conteúdo deve ser um objeto JSON.").arg(file_));
    Properties root(document.object(), QStringLiteral("raiz"), file_);
    const QJsonValue reports = root.take(QStringLiteral("reports"));
    root.string(QStringLiteral("description"));
    root.checkAllUsed();
    if (!reports.isArray()) root.error(QStringLiteral("falta a lista \"reports\""));

    Template result;
    result.path = file_;
    const QJsonArray list = reports.toArray();
    for (qsizetype i = 0; i < list.size(); ++i)
      result.reports.push_back(readReport(list[i], QStringLiteral("relatório %1").arg(i + 1)));
    return result;
  }

 private:
  Properties objectAt(const QJsonValue& value, const QString& where) const {
    if (!value.isObject()) Properties({}, where, file_).error(QStringLiteral("esperava-se um objeto"));
    return Properties(value.toObject(), where, file_);
  }

  Report readReport(const QJsonValue& value, const QString& where) {
    Properties properties = objectAt(value, where);
    Report report;
    report.name = properties.string(QStringLiteral("name"));
    if (report.name.isEmpty()) properties.error(QStringLiteral("falta o nome do relatório (\"name\")"));
    const QString named = QStringLiteral("relatório \"%1\"").arg(report.name);
    report.title = properties.string(QStringLiteral("title"), report.name);

    if (properties.has(QStringLiteral("page")))
      report.page = readPage(properties.take(QStringLiteral("page")), named + QStringLiteral(", página"));

    const QJsonValue styles = properties.take(QStringLiteral("styles"));
    if (!styles.isUndefined() && !styles.isObject()) properties.error(QStringLiteral("\"styles\" deve ser um objeto"));
    styles_ = styles.toObject();

    report.items = readItems(properties.take(QStringLiteral("items")), named);
    properties.checkAllUsed();
    return report;
  }

  Page readPage(const QJsonValue& value, const QString& where) {
    Properties properties = objectAt(value, where);
    Page page;
    properties.choice<int>(QStringLiteral("size"), 0, {{"A4", 0}});
    page.landscape =
        properties.choice<bool>(QStringLiteral("orientation"), false, {{"portrait", false}, {"landscape", true}});
    const QJsonValue margins = properties.take(QStringLiteral("margins"));
    if (margins.isDouble()) {
      const double all = std::clamp(margins.toDouble(), 0.0, 50.0);
      page.marginLeft = page.marginTop = page.marginRight = page.marginBottom = all;
    } else if (!margins.isUndefined()) {
      Properties sides = objectAt(margins, where + QStringLiteral(", margens"));
      page.marginLeft = sides.number(QStringLiteral("left"), page.marginLeft, 0, 50);
      page.marginTop = sides.number(QStringLiteral("top"), page.marginTop, 0, 50);
      page.marginRight = sides.number(QStringLiteral("right"), page.marginRight, 0, 50);
      page.marginBottom = sides.number(QStringLiteral("bottom"), page.marginBottom, 0, 50);
      sides.checkAllUsed();
    }
    properties.checkAllUsed();
    return page;
  }

  std::vector<Item> readItems(const QJsonValue& value, const QString& where) {
    if (value.isUndefined()) return {};
    if (!value.isArray()) Properties({}, where, file_).error(QStringLiteral("\"items\" deve ser uma lista"));
    std::vector<Item> items;
    const QJsonArray list = value.toArray();
    items.reserve(static_cast<size_t>(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i)
      items.push_back(readItem(list[i], QStringLiteral("%1, item %2").arg(where).arg(i + 1)));
    return items;
  }

  // The item's style, whose properties the item's own ones override.
  QJsonObject styleOf(const QJsonObject& object, const QString& where) const {
    const QJsonValue styleName = object.value(QStringLiteral("style"));
    if (styleName.isUndefined()) return {};
    const QJsonValue style = styles_.value(styleName.toString());
    if (!styleName.isString() || !style.isObject())
      Properties({}, where, file_).error(QStringLiteral("estilo desconhecido \"%1\"").arg(styleName.toString()));
    return style.toObject();
  }

  Item readItem(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) Properties({}, where, file_).error(QStringLiteral("esperava-se um objeto"));
    QJsonObject object = value.toObject();
    QJsonObject style = styleOf(object, where);
    object.remove(QStringLiteral("style"));
    Properties properties(std::move(object), where, file_, std::move(style));
    const QString kindName = properties.take(QStringLiteral("kind")).toString();
    if (!kindName.isEmpty()) properties.setWhere(where + QStringLiteral(" (%1)").arg(kindName));
    const QString kind = properties.string(QStringLiteral("kind"));

    Item item;
    item.when = properties.string(QStringLiteral("when"));
    item.unless = properties.string(QStringLiteral("unless"));
    if (properties.boolean(QStringLiteral("repeat"), false)) item.sheets = Sheets::Every;
    if (properties.boolean(QStringLiteral("continuationOnly"), false)) item.sheets = Sheets::Later;

    if (kind == QLatin1String("text"))
      item.content = readText(properties);
    else if (kind == QLatin1String("rect"))
      item.content = readRect(properties);
    else if (kind == QLatin1String("line"))
      item.content = readLine(properties);
    else if (kind == QLatin1String("image"))
      item.content = ImageItem{properties.box(), properties.string(QStringLiteral("source"))};
    else if (kind == QLatin1String("barcode"))
      item.content = BarcodeItem{properties.box(), properties.string(QStringLiteral("value")), Symbology::Code128};
    else if (kind == QLatin1String("qrcode"))
      item.content = BarcodeItem{properties.box(), properties.string(QStringLiteral("value")), Symbology::QrCode};
    else if (kind == QLatin1String("mark"))
      item.content = readMark(properties);
    else if (kind == QLatin1String("table"))
      item.content = readTable(properties);
    else if (kind == QLatin1String("group"))
      item.content = readGroup(properties);
    else if (kind.isEmpty())
      properties.error(QStringLiteral("falta o tipo do item (\"kind\")"));
    else
      properties.error(QStringLiteral("tipo de item desconhecido \"%1\"").arg(kind));
    properties.checkAllUsed();
    return item;
  }

  static TextItem readText(Properties& properties) {
    TextItem text;
    text.box = properties.box();
    text.text = properties.string(QStringLiteral("text"));
    if (properties.has(QStringLiteral("textOnSeveralSheets")))
      text.textOnSeveralSheets = properties.string(QStringLiteral("textOnSeveralSheets"));
    text.font = properties.font();
    const Qt::Alignment vertical = properties.choice<Qt::Alignment>(
        QStringLiteral("valign"), Qt::AlignTop,
        {{"top", Qt::AlignTop}, {"middle", Qt::AlignVCenter}, {"bottom", Qt::AlignBottom}});
    text.align = properties.horizontalAlignment() | vertical;
    text.wrap = properties.boolean(QStringLiteral("wrap"), false);
    text.clip = properties.boolean(QStringLiteral("clip"), true);
    text.shrink = properties.boolean(QStringLiteral("shrink"), false);
    text.color = properties.color(QStringLiteral("color"), Qt::black);
    return text;
  }

  static RectItem readRect(Properties& properties) {
    RectItem rect;
    rect.box = properties.box();
    rect.lineWidth = properties.number(QStringLiteral("lineWidth"), rect.lineWidth, 0, 20);
    rect.stroke = properties.color(QStringLiteral("stroke"), Qt::black);
    rect.fill = properties.color(QStringLiteral("fill"), QColor());
    return rect;
  }

  static LineItem readLine(Properties& properties) {
    LineItem line;
    line.from = QPointF(properties.number(QStringLiteral("x1"), 0), properties.number(QStringLiteral("y1"), 0));
    line.to = QPointF(properties.number(QStringLiteral("x2"), 0), properties.number(QStringLiteral("y2"), 0));
    line.lineWidth = properties.number(QStringLiteral("lineWidth"), line.lineWidth, 0, 20);
    line.color = properties.color(QStringLiteral("color"), Qt::black);
    return line;
  }

  static MarkItem readMark(Properties& properties) {
    MarkItem mark;
    mark.box = properties.box();
    mark.text = properties.string(QStringLiteral("text"));
    TextFont bigBold;
    bigBold.size = 48;
    bigBold.bold = true;
    mark.font = properties.font(Properties::plainFont(), bigBold);
    mark.angle = properties.number(QStringLiteral("angle"), 0, -360, 360);
    mark.color = properties.color(QStringLiteral("color"), QColor(128, 128, 128, 90));
    return mark;
  }

  TableItem readTable(Properties& properties) const {
    TableItem table;
    table.box = properties.box();
    table.rows = properties.string(QStringLiteral("rows"));
    table.rowHeight = properties.number(QStringLiteral("rowHeight"), table.rowHeight, 1, 100);
    table.headerHeight = properties.number(QStringLiteral("headerHeight"), table.rowHeight, 0, 100);
    table.continuationHeaderHeight = table.headerHeight;
    table.across = across(properties, 1);
    table.gap = properties.length(QStringLiteral("gap"), table.gap);
    table.grid = properties.boolean(QStringLiteral("grid"), true);
    table.caption = properties.string(QStringLiteral("caption"));
    table.groupField = static_cast<int>(properties.number(QStringLiteral("groupBy"), -1, -1, 100));
    table.font = properties.font();
    TextFont header = table.font;
    header.bold = true;
    table.headerFont = properties.font(Properties::headerFont(), header);
    table.groupFont = header;

    const QJsonValue continuation = properties.take(QStringLiteral("continuation"));
    if (!continuation.isUndefined()) {
      Properties box = objectAt(continuation, properties.where() + QStringLiteral(", continuação"));
      table.continuation = box.box();
      table.continuationAcross = across(box, table.across);
      table.continuationHeaderHeight = box.number(QStringLiteral("headerHeight"), table.headerHeight, 0, 100);
      table.continuationCaption = box.string(QStringLiteral("caption"));
      box.checkAllUsed();
    }

    const QJsonValue columns = properties.take(QStringLiteral("columns"));
    if (!columns.isArray() || columns.toArray().isEmpty())
      properties.error(QStringLiteral("a tabela precisa de uma lista \"columns\" não vazia"));
    const QJsonArray list = columns.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
      Properties column = objectAt(list[i], properties.where() + QStringLiteral(", coluna %1").arg(i + 1));
      TableColumn parsed;
      parsed.header = column.string(QStringLiteral("header"));
      if (column.has(QStringLiteral("continuationHeader")))
        parsed.continuationHeader = column.string(QStringLiteral("continuationHeader"));
      parsed.width = column.length(QStringLiteral("width"));
      parsed.align = column.horizontalAlignment();
      parsed.wrap = column.boolean(QStringLiteral("wrap"), false);
      parsed.format = column.displayFormat(QStringLiteral("format"));
      column.checkAllUsed();
      table.columns.push_back(parsed);
    }
    return table;
  }

  // A count of copies of the columns, or "auto": as many as the width holds (0).
  static int across(Properties& properties, int fallback) {
    if (properties.has(QStringLiteral("across")) && properties.take(QStringLiteral("across")) == QJsonValue(QStringLiteral("auto")))
      return 0;
    return static_cast<int>(properties.number(QStringLiteral("across"), fallback, 1, 20));
  }

  GroupItem readGroup(Properties& properties) {
    GroupItem group;
    group.origin = QPointF(properties.number(QStringLiteral("x"), 0), properties.number(QStringLiteral("y"), 0));
    group.items = readItems(properties.take(QStringLiteral("items")), properties.where());
    group.stack = properties.boolean(QStringLiteral("stack"), false);
    group.height = properties.length(QStringLiteral("height"));
    if (group.stack && std::any_of(group.items.begin(), group.items.end(),
                                   [](const Item& child) { return !std::holds_alternative<GroupItem>(child.content); }))
      properties.error(QStringLiteral("os itens de um grupo \"stack\" devem ser grupos"));
    return group;
  }

  QString file_;
  QJsonObject styles_;
};

}  // namespace

Template parseTemplate(const QByteArray& json, const QString& path) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError) {
    // Qt points just past the offending character.
    const auto [line, column] = lineAndColumn(json, error.offset > 0 ? error.offset - 1 : 0);
    fail(QStringLiteral("Erro de sintaxe no modelo de relatório \"%1\", linha %2, coluna %3: %4.")
             .arg(path)
             .arg(line)
             .arg(column)
             .arg(syntaxMessage(error.error)));
  }
  return Reader(path).read(document);
}

std::shared_ptr<const Template> openTemplate(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile()) fail(QStringLiteral("Modelo de relatório \"%1\" inexistente.").arg(path));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    fail(QStringLiteral("Não foi possível ler o modelo de relatório \"%1\": %2.").arg(path, file.errorString()));
  const QByteArray bytes = file.readAll();
  // By path, with the bytes it was parsed from: a file changed in any way is parsed again.
  // Print jobs run on several threads in the service.
  static std::mutex guard;
  static std::map<QString, std::pair<QByteArray, std::shared_ptr<const Template>>> parsed;
  const std::lock_guard lock(guard);
  auto& [parsedBytes, content] = parsed[path];
  if (!content || parsedBytes != bytes) {
    content = std::make_shared<const Template>(parseTemplate(bytes, path));
    parsedBytes = bytes;
  }
  return content;
}

}  // namespace report
