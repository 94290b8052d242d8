// damdfe-floor: the least work a DAMDFE printer does, as a reference for the whole-process
// benchmark (scripts/bench-whole-process.py). It starts Qt offscreen, parses the manifest with
// Xerces (through the binding's loader) and writes one A4 PDF page of its texts in boxes.
// Usage: damdfe-floor MANIFEST.xml OUTPUT.pdf [DOCUMENTS]; several documents make the batch floor.

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "XMLDoc.h"

namespace {

constexpr int kLines = 60;

// The texts of the leaf elements, in document order, as far as one page shows.
void CollectTexts(const IXMLNode& node, QStringList& texts) {
  IXMLNodeList children = node->ChildList();
  for (int i = 0; i < children->Count() && texts.size() < kLines; ++i) {
    IXMLNode child = children->NodeAt(i);
    if (child->NodeType() == TNodeType::ntText) {
      texts << QString::fromStdU16String(child->ReadText());
    } else if (child->NodeType() == TNodeType::ntElement) {
      CollectTexts(child, texts);
    }
  }
}

void WritePage(const QString& path, const QStringList& texts) {
  QPdfWriter writer(path);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setResolution(600);
  QPainter painter(&writer);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(8);
  painter.setFont(font);
  const int lineHeight = 110;  // about 4.6 mm at 600 dpi
  for (qsizetype i = 0; i < texts.size(); ++i) {
    const QRect box(200, 200 + static_cast<int>(i) * lineHeight, 4400, lineHeight);
    painter.drawRect(box);
    painter.drawText(box.adjusted(20, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "Uso: damdfe-floor MANIFESTO.xml SAIDA.pdf [DOCUMENTOS]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const int documents = argc > 3 ? std::max(1, std::stoi(argv[3])) : 1;
  for (int document = 0; document < documents; ++document) {
    QStringList texts;
    CollectTexts(LoadDocumentFile(std::filesystem::path(argv[1]))->DocumentElement(), texts);
    WritePage(QString::fromLocal8Bit(argv[2]), texts);
  }
  return 0;
}
