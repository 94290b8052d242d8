#include "Unit1.h"

#include <QDropEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <initializer_list>

#include "DamdfeTexts.h"
#include "EventDiscovery.h"
#include "OpenDialogs.h"
#include "PathLabel.h"
#include "RadioGroup.h"
#include "VerificationTexts.h"

namespace {

// The fonts the window was drawn with are Windows fonts; elsewhere the nearest installed one stands in.
QString FirstInstalled(std::initializer_list<const char*> families) {
  const QStringList installed = QFontDatabase::families();
  for (const char* family : families) {
    if (installed.contains(QLatin1String(family), Qt::CaseInsensitive)) return QLatin1String(family);
  }
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont WindowFont() {
  QFont font(FirstInstalled({"MS Sans Serif", "DejaVu Sans", "Liberation Sans"}));
  font.setPointSize(8);
  return font;
}

// Liberation Sans keeps Arial's widths, so "de Documento" still fits the 248-pixel panel.
QFont HeadlineFont() {
  QFont font(FirstInstalled({"Arial Black", "Liberation Sans", "Arial", "DejaVu Sans Condensed"}));
  font.setPixelSize(32);
  font.setBold(true);
  return font;
}

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QStringList DamdfeTypes() {
  QStringList types;
  for (const std::string& type : kDamdfeTypes) types << Text(type);
  return types;
}

QLabel* Picture(const QString& resource, QWidget* parent) {
  auto* picture = new QLabel(parent);
  picture->setPixmap(QPixmap(resource));
  picture->setAlignment(Qt::AlignCenter);
  return picture;
}

QLabel* Headline(const QString& word, const QColor& color, QWidget* parent) {
  auto* label = new QLabel(word, parent);
  label->setFont(HeadlineFont());
  label->setStyleSheet(QStringLiteral("color: %1").arg(color.name()));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

// Looks like a link and leads nowhere, as in the demonstration it comes from.
QLabel* GreenLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(Bold(parent->font()));
  label->setStyleSheet(QStringLiteral("color: #008000"));
  label->setCursor(Qt::PointingHandCursor);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QLabel* PathLabel(const QString& initial, const QString& name, QWidget* parent) {
  auto* label = new TPathLabel(initial, parent);
  label->setObjectName(name);
  return label;
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  // Return presses the focused button, as Space does.
  button->setAutoDefault(true);
  return button;
}

// How many events of the chosen manifest lie beside it and what they make of it.
QString EventsFoundText(const TEventsBeside& found) {
  if (!found.error.empty()) return QStringLiteral("Evento ilegível: ") + Text(found.error);
  QString text = QStringLiteral("Eventos do MDF-e na pasta: %1").arg(found.files.size());
  if (!found.events.mark.empty()) text += QStringLiteral(" – ") + QString::fromStdU16String(found.events.mark);
  if (!found.events.warnings.empty()) text += QStringLiteral(" (%1 ignorado(s))").arg(found.events.warnings.size());
  return text;
}

QString VerdictText(const verification::Verdict& verdict) {
  switch (verdict.status) {
    case verification::Status::Confirmed: return QStringLiteral("Assinatura: confere");
    case verification::Status::Unsigned: return QStringLiteral("Sem assinatura");
    case verification::Status::NotConfirmed: break;
  }
  // The first reason; the tooltip has them all.
  QString text = QStringLiteral("Assinatura NÃO CONFERE: ") + Text(verdict.reasons.front());
  if (verdict.reasons.size() > 1) text += QStringLiteral(" (e mais %1)").arg(verdict.reasons.size() - 1);
  return text;
}

// The first XML file among the dropped ones, or empty.
QString DroppedXml(const QMimeData* data) {
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) {
      return url.toLocalFile();
    }
  }
  return QString();
}

const QString kXmlDialog = QStringLiteral("xml");
const QString kLogoDialog = QStringLiteral("logo");

constexpr int kInformationPanelWidth = 248;
constexpr int kStepSpacing = 14;

}  // namespace

void ShowMessage(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), message, QMessageBox::Ok, parent);
  box.exec();
}

void ShowPrintFailure(QWidget* parent, const std::string& result) {
  ShowMessage(parent, QStringLiteral("O DAMDFE não foi impresso.\n\n") + Text(result));
}

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent),
      PrintJob([](const TPrintRequest& request) { return PrintDAMDFE(request, rv::PrintPreview{}); }) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("DAMDFE Demo - impressão do DAMDFE do MDF-e | Desenvolvido por Equipe DAMDFE"));
  setFont(WindowFont());

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  auto* tab = new QWidget(PageControl1);
  tab->setObjectName(QStringLiteral("TabSheet1"));
  auto* tabLayout = new QHBoxLayout(tab);
  tabLayout->addWidget(CreateStepPanel(), 1);
  tabLayout->addWidget(CreateInformationPanel());
  PageControl1->addTab(tab, QStringLiteral("Informações"));
  setCentralWidget(PageControl1);

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenPictureDialog1 = new TOpenPictureDialog(this);
  OpenPictureDialog1->setObjectName(QStringLiteral("OpenPictureDialog1"));

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

  setAcceptDrops(true);
  RestoreChoices();
  FocusFirstUnfinishedStep();
  setWindowState(Qt::WindowMaximized);
}

void TForm1::RestoreChoices() {
  RadioGroup1->SetItemIndex(settings_.Format());
  RadioGroup2->SetItemIndex(settings_.Type());
  if (QFileInfo(settings_.Logo()).isFile()) Label5->setText(settings_.Logo());
  connect(RadioGroup1, &TRadioGroup::ItemIndexChanged, this, [this](int index) { settings_.SetFormat(index); });
  connect(RadioGroup2, &TRadioGroup::ItemIndexChanged, this, [this](int index) { settings_.SetType(index); });
}

// Focus follows the steps: the first file still missing, else the print button.
void TForm1::FocusFirstUnfinishedStep() {
  if (!QFileInfo(Label4->text()).isFile()) {
    Button1->setFocus();
  } else if (!QFileInfo(Label5->text()).isFile()) {
    Button2->setFocus();
  } else {
    Button4->setFocus();
  }
}

void TForm1::OpenXml(const QString& path) {
  Label4->setText(QFileInfo(path).absoluteFilePath());
  settings_.SetFolderOf(kXmlDialog, path);
  ShowEventsFound();
  ShowVerdict();
  FocusFirstUnfinishedStep();
}

void TForm1::OpenLogo(const QString& path) {
  Label5->setText(path);
  settings_.SetLogo(path);
  settings_.SetFolderOf(kLogoDialog, path);
  FocusFirstUnfinishedStep();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedXml(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const QString xml = DroppedXml(event->mimeData());
  if (xml.isEmpty()) return;
  OpenXml(xml);
  event->acceptProposedAction();
}

QWidget* TForm1::CreateStepPanel() {
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Panel1"));
  // The steps keep the width of their widest text; the rest of the panel stays empty.
  auto* column = new QWidget(panel);
  auto* steps = new QVBoxLayout(column);
  steps->setContentsMargins(0, 0, 0, 0);

  auto* instruction = new QLabel(QStringLiteral("Execute o passo-a-passo a seguir..."), column);
  instruction->setFont(Bold(font()));
  steps->addWidget(instruction);
  steps->addSpacing(kStepSpacing / 2);

  RadioGroup1 = new TRadioGroup(QStringLiteral("1. Selecione o formato do DAMDFE: "),
                                {QStringLiteral("Retrato"), QStringLiteral("Paisagem")}, column);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->SetItemIndex(0);
  steps->addWidget(RadioGroup1);
  steps->addSpacing(kStepSpacing / 2);

  RadioGroup2 = new TRadioGroup(QStringLiteral("2. Selecione o tipo do DAMDFE: "), DamdfeTypes(), column);
  RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
  RadioGroup2->SetItemIndex(0);
  steps->addWidget(RadioGroup2);
  steps->addSpacing(kStepSpacing);

  steps->addWidget(new QLabel(QStringLiteral("Numero do Protocolo"), column));
  Edit1 = new QLineEdit(column);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  steps->addWidget(Edit1);
  steps->addSpacing(kStepSpacing);

  Label4 = PathLabel(QStringLiteral("arquivo XML do DAMDFE"), QStringLiteral("Label4"), column);
  Button1 = Button(QStringLiteral("3. Selecione o XML da MDFe a ser impresso"), QStringLiteral("Button1"), column);
  // Shown once an XML is chosen; until then the button keeps the whole width.
  Label6 = PathLabel(QString(), QStringLiteral("Label6"), column);
  Label6->setVisible(false);
  Label7 = new QLabel(column);
  Label7->setObjectName(QStringLiteral("Label7"));
  Label7->setTextFormat(Qt::PlainText);
  Label7->setWordWrap(true);
  Label7->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  Label7->setVisible(false);
  steps->addWidget(Label4);
  auto* xmlStep = new QHBoxLayout;
  xmlStep->addWidget(Button1);
  auto* found = new QVBoxLayout;
  found->setSpacing(0);
  found->addWidget(Label6);
  found->addWidget(Label7);
  xmlStep->addLayout(found, 1);
  steps->addLayout(xmlStep);
  steps->addSpacing(kStepSpacing);

  Label5 = PathLabel(QStringLiteral("arquivo BMP da logo"), QStringLiteral("Label5"), column);
  Button2 = Button(QStringLiteral("4. Selecione o BMP com a logo do cliente (259x158 pixels)"),
                   QStringLiteral("Button2"), column);
  steps->addWidget(Label5);
  steps->addWidget(Button2);
  steps->addSpacing(kStepSpacing);

  Button4 = Button(QStringLiteral("5. Imprimir DAMDFE"), QStringLiteral("Button4"), column);
  Button4->setFont(Bold(font()));
  steps->addWidget(Button4);

  auto* layout = new QHBoxLayout(panel);
  layout->addWidget(column, 0, Qt::AlignTop);
  layout->addStretch(1);
  return panel;
}

QWidget* TForm1::CreateInformationPanel() {
  auto* panel = new QWidget;
  panel->setObjectName(QStringLiteral("Panel2"));
  panel->setFixedWidth(kInformationPanelWidth);
  panel->setAutoFillBackground(true);
  QPalette white = panel->palette();
  white.setColor(QPalette::Window, Qt::white);
  panel->setPalette(white);

  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(0);
  layout->addWidget(new QLabel(QStringLiteral("Demo v1.0"), panel));
  layout->addWidget(Picture(QStringLiteral(":/painel.jpg"), panel));

  const QColor red(200, 30, 30);
  const QColor blue(25, 70, 150);
  layout->addWidget(Headline(QStringLiteral("Manifesto"), red, panel));
  layout->addWidget(Headline(QStringLiteral("Eletrônico"), red, panel));
  layout->addWidget(Headline(QStringLiteral("de Documento"), blue, panel));
  layout->addWidget(Headline(QStringLiteral("Fiscal"), blue, panel));
  layout->addSpacing(6);

  layout->addWidget(GreenLabel(QStringLiteral("Portal Nacional do MDF-e"), panel));
  layout->addSpacing(6);
  layout->addWidget(Picture(QStringLiteral(":/selo.jpg"), panel));
  layout->addSpacing(2);
  layout->addWidget(GreenLabel(QStringLiteral("www.damdfe.exemplo"), panel));
  layout->addStretch(1);
  return panel;
}

void TForm1::Button1Click() {
  OpenDialog1->setDirectory(settings_.StartFolder(kXmlDialog));
  OpenDialog1->setNameFilters(QtNameFilters(QStringLiteral("Arquivos XML|*.XML|Todos os arquivos|*.*")));
  OpenDialog1->setDefaultSuffix(QStringLiteral("XML"));
  OpenDialog1->setWindowTitle(QStringLiteral("Selecione o XML da MDFe..."));
  if (OpenDialog1->exec() == QDialog::Accepted) OpenXml(OpenDialog1->ChosenFile());
}

std::vector<std::string> TForm1::ShowEventsFound() {
  TEventsBeside found = EventsBeside(Label4->text().toStdString());
  Label6->setText(EventsFoundText(found));
  Label6->setVisible(true);
  QStringList details;
  for (const std::string& file : found.files) details << Text(file);
  for (const std::string& warning : found.events.warnings) details << Text(warning);
  Label6->setToolTip(details.join(u'\n'));
  return found.files;
}

void TForm1::ShowVerdict() {
  const verification::Verdict verdict = verification::VerifyManifestFile(
      QFile::encodeName(Label4->text()).toStdString(), VerificationSettings({}, false));
  Label7->setText(VerdictText(verdict));
  Label7->setStyleSheet(verdict.status == verification::Status::NotConfirmed ? QStringLiteral("color: #c00000")
                                                                              : QString());
  Label7->setVisible(true);
  QStringList details{Text(verification::Summary(verdict))};
  for (const std::string& line : verification::DetailLines(verdict)) details << Text(line);
  Label7->setToolTip(details.join(u'\n'));
}

void TForm1::Button2Click() {
  OpenPictureDialog1->setWindowTitle(QStringLiteral("Selecione a logomarca do cliente..."));
  OpenPictureDialog1->setDirectory(settings_.StartFolder(kLogoDialog));
  OpenPictureDialog1->setDefaultSuffix(QStringLiteral("BMP"));
  if (OpenPictureDialog1->exec() == QDialog::Accepted) OpenLogo(OpenPictureDialog1->ChosenFile());
}

void TForm1::Button4Click() {
  const QString xmlPath = Label4->text();
  if (!QFileInfo(xmlPath).isFile()) {
    ShowMessage(this, Text(kInvalidXmlPathMessage));
    return;
  }
  const QString logoPath = Label5->text();
  if (!QFileInfo(logoPath).isFile()) {
    ShowMessage(this, Text(kInvalidLogoPathMessage));
    return;
  }
  // Events are looked for again: those printed are the ones beside the XML now, and the window says so.
  const std::string result =
      PrintJob({QFile::encodeName(xmlPath).toStdString(), QFile::encodeName(logoPath).toStdString(),
                ContingencyTextFor(RadioGroup2->ItemIndex()), Edit1->text().toStdString(), RadioGroup1->ItemIndex(),
                ShowEventsFound()});
  if (!result.empty()) ShowPrintFailure(this, result);
}
